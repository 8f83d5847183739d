// Each scene fails in its first frame, and OnEndScene names it again: scene
// after scene, with a script error each. Asked to end, the scenario ends.
OnBegin() { Storage.SaveValue(empty, "Ready", 1); Scenario.SceneFile = "broken.scn"; }
OnEndScene() { $scenes = $scenes + 1; }
OnEnd() { Storage.SaveValue(empty, "Ended", 1); }
