// The attract sequence: with no display to play on, the game plays itself from
// a recording in its folder. Start-up calls it before the scenario runs.
#pragma once

class Scene;

// The recording the attract sequence replays, in the program folder.
constexpr char kAttractRecording[] = "Attract.rec";

// Hands the scene the words of "Attract.rec" to replay over the whole
// session, which then ends by itself when they are used up. Start-up calls it
// when the game has no display to be played on (HasDisplay false). A game without
// the file plays as usual; one whose file is broken says so on standard error
// and plays as usual.
void UseAttractReplay(Scene& scene);
