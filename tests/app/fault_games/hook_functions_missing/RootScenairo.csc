// Hooks naming functions that no script has: each says so once, as its scene
// or class loads, and does nothing, as before.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
