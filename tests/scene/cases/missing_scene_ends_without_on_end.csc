// A scene that fails to load ends the scenario silently: no OnEndScene, no OnEnd.
OnBegin()
{
  Scenario.SceneFile = "stage1.scn";
}
OnEndScene()
{
  Trace.Log("end scene");
  Scenario.SceneFile = "missing.scn";
}
OnEnd()
{
  Trace.Log("end");
}
