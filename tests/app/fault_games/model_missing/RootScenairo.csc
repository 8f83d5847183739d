// A model that cannot be read leaves its class without a model: the class
// still loads (registering it again finds it) and the scene file is read whole.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
