OnBegin() { System.Title = "Looping test"; Scenario.SceneFile = "loop.scn"; }
// The scene file stays named: only the closed window ends the scenario.
OnEndScene() { Storage.SaveValue(empty, "Scene", "ended"); }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
