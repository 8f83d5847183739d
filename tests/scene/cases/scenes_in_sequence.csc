// OnEndScene names the next scene; the same scene runs again while the name
// stays; an empty name ends the loop.
OnBegin()
{
  $runs = 0;
  Scenario.SceneFile = "title.scn";
}
OnEndScene()
{
  $runs = $runs + 1;
  Trace.Log("after " + Scenario.SceneFile);
  if ($runs == 1) Scenario.SceneFile = "Stages/stage1.scn";
  if ($runs == 3) Scenario.SceneFile = empty;
}
OnEnd()
{
  Trace.Log("end after " + $runs);
}
