// A class whose script does not compile is not registered: the scene stops
// reading at its element, and plays what it read before; registered again
// from the scene's script it fails at once and says nothing more.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
