// Without OnEndScene exactly one scene runs, then OnEnd.
OnBegin()
{
  Trace.Log("begin");
  Scenario.SceneFile = "stage1.scn";
}
OnEnd()
{
  Trace.Log("end");
}
