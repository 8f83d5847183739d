// The title: the runner turning on the grass, the game's name, the best time
// from Config.sav, the keys, and Z to start (Esc quits).
#include "scripts/common.csc"

TitleBegin()
{
  $started = 0;
  camera = Scene.GetCast("Camera");
  camera.RotateYaw(15);
  camera.RotatePitch(10);
  Scene.SwitchCamera(camera, 0, 0, 0);
  Scene.ClearColor = 0xFF6FA8DC;
  // Only Z reaches the runner here: he jumps for joy, and the game starts.
  Input.SetJoyMask(0, BUTTON_JUMP);
  Scene.AddFadeEffect(30, 0, 30, BLACK, CLEAR, 0);
  Scene.LoadCharacterSet(FONT, "text/font.chr");
  Scene.LoadStringList("text/strings.txt");
  PutCentred(0, "T3D RUNNER", YELLOW, 110, 1.6, 30);
  PutCentred(1, 1, WHITE, 470, 0.8, 45);
  PutCentred(2, 2, WHITE, 540, 0.5, 60);
  best = BestTime();
  if (best == 0) PutCentred(3, 7, WHITE, 180, 0.6, 60);
  else PutCentred(3, Scene.GetString(6) + Math.Format1("%.2f", best), WHITE, 180, 0.6, 60);
}

TitleLoop()
{
  // One member access per value: the runner first, then his turn.
  hero = Scene.GetCast("Hero");
  hero.RotateYaw(1);
  if ($started == 0 && (Input.GetJoyPressed(0) & BUTTON_JUMP) != 0) {
    $started = 1;
    Sound.PlaySound("STRT", 1, 0);
    FadeOutTo(NEXT_PLAY, 20);
  }
}

TitleKey(code, hold)
{
  // Esc leaves the game: the scene ends with no scene named after it (a
  // parameter takes a number or a text, never empty).
  if (code == 1 && hold == 1 && $started == 0) {
    $started = 1;
    Scene.SetParam(0, NEXT_QUIT);
    Scene.EndScene();
  }
}
