// A run-time error in a scenario function is reported and the loop goes on;
// System.Abort ends its call with code 4, which the program's error box
// keeps silent.
OnBegin()
{
  Scenario.SceneFile = "stage1.scn";
  Trace.Log("before error");
  Math.Floor("x");
  Trace.Log("never");
}
OnEndScene()
{
  Trace.Log("abort");
  Scenario.SceneFile = empty;
  System.Abort();
  Trace.Log("never");
}
OnEnd()
{
  Trace.Log("end");
}
