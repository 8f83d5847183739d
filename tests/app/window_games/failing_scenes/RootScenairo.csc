OnBegin() { System.Title = "Failing test"; Scenario.SceneFile = "broken.scn"; }
// The scene file stays named: each scene fails in its first frame, with its
// "Script Error" box, until the window is closed.
OnEndScene() { Storage.SaveValue(empty, "Scene", "ended"); }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
