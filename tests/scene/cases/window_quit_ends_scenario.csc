// After the window has quit, the scenario ends even though the script names
// a scene again; OnEndScene and OnEnd still run.
OnBegin()
{
  Scenario.SceneFile = "quit.scn";
}
OnEndScene()
{
  Trace.Log("end scene");
}
OnEnd()
{
  Trace.Log("end");
}
