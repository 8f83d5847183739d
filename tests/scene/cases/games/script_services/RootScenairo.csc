// The Scene members of timers, fades, the camera switch and text slots act
// on the running scene: each frame's loop hook prints what they hold.
OnBegin()
{
  Scenario.SceneFile = "stage.scn";
}
OnEndScene()
{
  Test.Log("scene ended, timers " + Test.Timers() + ", fade " + Test.Fade(0) + ", slot " + Test.Slot(0));
  Scenario.SceneFile = empty;
}
OnEnd()
{
  Test.Log("scenario ended");
}
