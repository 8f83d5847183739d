// Numbers and text helpers every script of the demo shares.

#include "scripts/next_scene.csc"

// Colours (ARGB).
#define WHITE 0xFFFFFFFF
#define YELLOW 0xFFFFE040
#define BLACK 0xFF000000
#define CLEAR 0x00000000

// The title font is character set 0.
#define FONT 0

// The pad bit of button 1 (Z, or the joystick's first button).
#define BUTTON_JUMP 16

// Shows `text` (a string-list number or a text) in a text slot, centred
// across the 800-wide screen at height y, fading in over `frames`.
PutCentred(slot, text, colour, y, scale, frames)
{
  left = 400 - Scene.GetCharacterLength(FONT, text) * scale / 2;
  Scene.PutCharacters(slot, FONT, text, colour, left, y, left, y, scale, scale, 0, 0, frames, 0);
}

// Ends the scene after a fade to black of `frames`, naming the next one.
FadeOutTo(next, frames)
{
  Scene.SetParam(0, next);
  Scene.AddFadeEffect(frames * 2, 0, frames, CLEAR, BLACK, 0);
  Scene.SetTimer(frames + 1, 99, "EndNow", 0, 0, 0);
}

EndNow(id, a, b, c)
{
  Scene.EndScene();
}

// The best time kept in Config.sav, in seconds; 0 when there is none yet.
BestTime()
{
  return Storage.LoadNumber("Demo", "BestTime", 0);
}
