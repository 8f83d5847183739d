// A class file that cannot be read: the class is not loaded and the scene file
// stops at its <MotionObject>, so the cast after it is not there.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
