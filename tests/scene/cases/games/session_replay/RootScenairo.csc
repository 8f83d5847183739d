// A recording replayed over a session: the title ends itself on the button
// of its fourth frame, the stage takes the words after it (not that press
// again), and once the words are used up the scenario ends although its
// script would name the stage for ever.
OnBegin()
{
  Scenario.SceneFile = "title.scn";
}
OnEndScene()
{
  Test.Log("scene ended at frame " + Test.Frame());
  Scenario.SceneFile = "stage.scn";
}
OnEnd()
{
  Test.Log("scenario ended");
}
