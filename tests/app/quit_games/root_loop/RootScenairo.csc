// The root's first script never returns. Asked to end, the game runs OnEnd,
// and the scene named before the loop never starts.
OnBegin()
{
  Scenario.SceneFile = "stage.scn";
  Storage.SaveValue(empty, "Ready", 1);
  i = 0;
  while (1) { i = i + 1; }
}
OnEnd() { Storage.SaveValue(empty, "Ended", 1); }
