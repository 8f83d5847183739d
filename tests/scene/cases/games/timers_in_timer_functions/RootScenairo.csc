// The same scene twice: timers live for one run of the scene.
OnBegin()
{
  $runs = 0;
  Scenario.SceneFile = "stage.scn";
}
OnEndScene()
{
  $runs = $runs + 1;
  Test.Log("scene ended, timers " + Test.Timers());
  if ($runs == 2) Scenario.SceneFile = empty;
}
OnEnd()
{
  Test.Log("scenario ended");
}
