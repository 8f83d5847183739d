// The scene's OnLoop never returns, and OnEndScene names the scene again.
// Asked to end, the scene ends (its OnEnd runs), then the scenario.
OnBegin() { Scenario.SceneFile = "loop.scn"; }
OnEndScene() { Storage.SaveValue(empty, "Scene", "ended"); }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
