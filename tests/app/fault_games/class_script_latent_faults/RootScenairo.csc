// A class script whose functions hold faults the interpreter meets only when
// it reaches them: each is named at load where it stands in the class file,
// and the scene plays as before. The cast's OnCreate runs up to its fault and
// its box comes there (the line before the box's copy names the class file's
// line of the token it marks); Turn never closed swallows Stop, which the
// class then lacks.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }
