// A root scenario that does not compile: the start fails with its box, and
// the line before it says where.
OnBegin() { Scenario.SceneFile = "stage.scn"; }

OnEnd() { Storage.SaveValue(empty, "End", "ran); }
