// The game's own scene: a target's "#TRGT" hook notices an arrow passing
// through its sphere and calls both casts' hit hooks; a cast of a class that
// is not loaded is never taken for an arrow; Cast.MoveCameraPos places the
// camera cast.
OnBegin()
{
  Scenario.SceneFile = "stage.scn";
}
OnEndScene()
{
  if (Scenario.SceneFile == "stage.scn") Scenario.SceneFile = "ghost.scn";
  else Scenario.SceneFile = empty;
}
OnEnd()
{
  Test.Log("scenario ended");
}
