// Keys reach the scene's input hook with their hold counts (0 once when
// released), also while paused; the window's quit ends a scenario that would
// name its scene for ever.
OnBegin()
{
  Scenario.SceneFile = "stage.scn";
}
OnEndScene()
{
  Test.Log("scene ended at " + Test.Now() + " ms");
}
OnEnd()
{
  Test.Log("scenario ended");
}
