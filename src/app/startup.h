// Start-up and shut-down of the program: the single-instance lock, the random
// seed, the window, graphics, input and sound, the start-up archive and the
// root scenario, in that order, and their end in the reverse order. main runs it.
#pragma once

// The exit code: 0 after a game that ran to its end or was closed, 1 when a
// start-up step failed (its message has been shown) or when the game ended
// because a scene it was to play could not be loaded or could not start its
// drawing. A game ended by SIGTERM, SIGINT or SIGHUP ends in order, then by
// that signal.
int RunPlayer();
