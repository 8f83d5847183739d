// The scene file stops in an error of its markup: the scene plays what was
// read before it, and the scenario goes on to its end.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
