// The demo's root scenario: loads the sounds and starts the music once, then
// runs the title and the play scene by turns, as each scene asks in its
// parameter 0, until one asks for neither (Esc on the title, the window closed).
#include "scripts/next_scene.csc"

OnBegin()
{
  System.Title = "T3D Player demo";
  Sound.LoadSound("JUMP", "sound/jump.wav");
  Sound.LoadSound("LAND", "sound/land.wav");
  Sound.LoadSound("STRT", "sound/start.wav");
  Sound.LoadSound("GOAL", "sound/goal.wav");
  Sound.LoadMusic("MUSC", "sound/music.ogg");
  Sound.PlayMusic("MUSC", 0.5, 1);
  Scenario.SceneFile = "title.scn";
}

OnEndScene()
{
  next = Scene.GetParam(0);
  Scenario.SceneFile = empty;
  if (next == empty) return;
  if (next == NEXT_PLAY) Scenario.SceneFile = "play.scn";
  if (next == NEXT_TITLE) Scenario.SceneFile = "title.scn";
}

OnEnd()
{
  Sound.StopMusic("MUSC");
}
