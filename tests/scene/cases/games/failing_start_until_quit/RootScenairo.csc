// A scene whose start fails every time, named again after every end: the
// scenario ends once the window asks to quit.
OnBegin()
{
  Scenario.SceneFile = "broken.scn";
}
OnEndScene()
{
  Test.Log("scene ended");
}
OnEnd()
{
  Test.Log("scenario ended");
}
