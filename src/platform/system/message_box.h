// The one call that shows a message to the user. Texts are Shift-JIS; the box
// always also writes a line to standard error, and never blocks without a
// display.
#pragma once

// Writes "caption: text" as one UTF-8 line to standard error, then hands the
// UTF-8 texts to the presenter, when one is installed.
void ShowMessageBox(const char* text, const char* caption);

// Shows a box on the display and returns once the user has closed it. The
// program installs one where it has a display; tests and headless runs have none.
using MessageBoxPresenter = void (*)(const char* textUtf8, const char* captionUtf8);
// Null removes it.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
