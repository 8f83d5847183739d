// Played in a short folder and in a deep one: every file it reads is named
// below the game's folder, and what the scene finds is saved.
#include "scripts\saved.csc"
OnBegin() { Saved("Root", "ran"); Scenario.SceneFile = "scenes\\stage.scn"; }
OnEndScene() { Scenario.SceneFile = empty; }
