// Textures that cannot be read leave their materials untextured: one line for
// each file, however many materials name it; the model and its class load.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
