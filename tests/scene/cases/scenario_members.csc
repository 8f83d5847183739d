// The Scenario members and the scene's class object seen from the root scenario.
OnBegin()
{
  f = Scenario.SceneFile;
  Trace.Log("empty name reads as none: " + (f == empty));
  Scenario.SceneFile = 5;
  Trace.Log("number: " + Scenario.SceneFile);
  Scenario.SceneFile = Scenario;
  f = Scenario.SceneFile;
  Trace.Log("object empties it: " + (f == empty));
  s = "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789";
  Scenario.SceneFile = s + s + s;
  Trace.Log("kept: " + Scenario.SceneFile);
  Trace.Log("missing archive: " + Scenario.AddArchiveFile("nothing.dat"));
  Scene.Mark("reached");
  Scenario.AddArchiveFile(Scenario);
  Trace.Log("never");
}
OnEnd()
{
  Scenario.SceneFile = empty;
}
