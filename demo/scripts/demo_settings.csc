// Numbers the demo's root scenario shares with scenes to come.
#define RUN_STEP 1
#define LUCKY_MAX 999
// The title scene's length: three seconds at its 30 frames a second.
#define SCENE_FRAMES 90
