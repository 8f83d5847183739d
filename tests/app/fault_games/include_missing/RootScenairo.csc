// A scene whose script includes a file that is not there does not compile:
// the scenario ends at once, without OnEnd, and the game with 1.
OnBegin() { Storage.SaveValue(empty, "Begin", "ran"); Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
