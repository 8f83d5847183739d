// Faults repeated every frame, by a scene played twice: each line is said
// once in each run of the scene, and the game goes on as before.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene()
{
  runs = Storage.LoadNumber(empty, "Runs", 0) + 1;
  Storage.SaveValue(empty, "Runs", runs);
  if (runs == 2) Scenario.SceneFile = empty;
}
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
