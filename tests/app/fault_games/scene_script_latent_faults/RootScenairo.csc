// Scripts whose functions hold faults the interpreter meets only when it
// reaches them: each is named at load where it stands, the root's as well,
// and the game plays as before. Begin runs up to its fault, its box comes
// there (the line before the box's copy names the file line of the token it
// marks), and the scene ends; Open never closed swallows Closed, which the
// scene then lacks.
OnBegin() { Scenario.SceneFile = "stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
OnEnd() { Storage.SaveValue(empty, "Scenario", "ended"); }

Unreached()
{
  Scenario.Exit()
}
