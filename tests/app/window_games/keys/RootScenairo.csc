OnBegin() { Scenario.SceneFile = "keys.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
