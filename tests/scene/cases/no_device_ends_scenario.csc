// Without a graphics device no scene can run: the scenario ends instead of
// naming the same scene for ever.
OnBegin()
{
  Scenario.SceneFile = "nodevice.scn";
}
OnEndScene()
{
  Trace.Log("end scene");
}
OnEnd()
{
  Trace.Log("end");
}
