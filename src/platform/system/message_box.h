// The one call that shows a message to the user. Texts are Shift-JIS; the box
// always also writes a line to standard error, and never blocks without a
// display.
#pragma once

void ShowMessageBox(const char* text, const char* caption);
