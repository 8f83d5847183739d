// t3dplayer: the program's entry point. The command line is not read.
#include "app/startup.h"

int main() { return RunPlayer(); }
