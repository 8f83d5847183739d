// OnBegin leaves the scene file empty: OnEnd follows at once, no scene runs.
OnBegin()
{
  Trace.Log("begin");
}
OnEndScene()
{
  Trace.Log("never");
}
OnEnd()
{
  Trace.Log("end");
}
