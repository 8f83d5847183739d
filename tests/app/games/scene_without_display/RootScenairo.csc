// Without a display the scene plays unseen on the real clock until its script
// ends it; both engines reach the program's sound manager, and the scene's the
// input manager, where no key is pressed.
OnBegin() { Sound.MusicVolume = 0.25; Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Storage.SaveValue(empty, "Scene", "ended"); Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
