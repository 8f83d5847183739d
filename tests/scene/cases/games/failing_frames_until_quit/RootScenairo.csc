// A scene whose first frame fails every time, named again after every end:
// the scenario ends once the window asks to quit. After five scenes it ends
// anyway, so that a loop that never hears the window ends too.
OnBegin()
{
  $runs = 0;
  Scenario.SceneFile = "broken.scn";
}
OnEndScene()
{
  Test.Log("scene ended");
  $runs = $runs + 1;
  if ($runs == 5) Scenario.SceneFile = empty;
}
OnEnd()
{
  Test.Log("scenario ended");
}
