// Scenario.Exit during a scene lets it finish; OnEndScene still runs and the
// loop ends before the next scene.
OnBegin()
{
  Scenario.SceneFile = "stage1.scn";
}
DuringScene()
{
  Trace.Log("exit");
  Scenario.Exit();
}
OnEndScene()
{
  Trace.Log("end scene");
  Scenario.SceneFile = "stage2.scn";
}
OnEnd()
{
  Trace.Log("end");
}
