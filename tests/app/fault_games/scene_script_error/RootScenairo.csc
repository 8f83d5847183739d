// A scene whose script does not compile is not played: the scenario ends at
// once, without OnEnd, and so does the game, with 1.
OnBegin() { Storage.SaveValue(empty, "Begin", "ran"); Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
