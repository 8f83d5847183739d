// What a scene leaves in its parameter 0 for the root scenario: the scene to
// run next. NEXT_QUIT (Esc on the title), or nothing there (the window
// closed), ends the game.
#define NEXT_QUIT 0
#define NEXT_PLAY 1
#define NEXT_TITLE 2
