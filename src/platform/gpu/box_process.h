// SDL shows a message box on X11 from a child process it forks and does not
// exec. While a BoxProcessScope lives, such a child ends with the program:
// a program killed during its box takes the box with it. The display's box
// presenter holds one around each box. EndShownBox ends the box being shown.
#pragma once

class BoxProcessScope {
 public:
  BoxProcessScope();
  ~BoxProcessScope();
  BoxProcessScope(const BoxProcessScope&) = delete;
  BoxProcessScope& operator=(const BoxProcessScope&) = delete;
};

// Ends the box being shown, if any, as if it had been answered: the program
// calls it, from any thread, once it has been asked to end, so that a box
// does not hold it.
void EndShownBox();
