// Numbers the demo's root scenario shares with scenes to come.
#define RUN_STEP 1
#define LUCKY_MAX 999
