// A <Cast> naming a class the scene does not have: the cast is there, without a class.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
