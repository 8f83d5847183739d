// Casts deleted after the scene was ended in the same frame: their deletes
// stay deferred to the frame's end, and every delete hook runs once.
OnBegin()
{
  Scenario.SceneFile = "stage.scn";
}
OnEnd()
{
  Test.Log("scenario ended");
}
