// Character sets and string lists that cannot be read: a set whose file is
// missing stays as it was, one whose image is missing keeps its glyphs (and
// draws nothing), and the string list is left empty.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
