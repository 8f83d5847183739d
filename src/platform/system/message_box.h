// The one call that shows a message to the user. Texts are Shift-JIS; the box
// always also writes a line to standard error, and never blocks without a
// display.
#pragma once

// What a box is beyond its texts. The usual box has no owner and no icon; the
// one of a graphics device that cannot be made belongs to the window and is
// an error box.
struct MessageBoxStyle {
  void* owner = nullptr;  // the platform's handle of the owning window; null: none
  bool error = false;
};

// Writes "caption: text" as one UTF-8 line to standard error ("t3dplayer:
// text" without a caption; line breaks as spaces, control bytes escaped), once
// per scene run (WriteErrorLineOnce), then hands the UTF-8 texts and the style
// to the presenter, when one is installed.
void ShowMessageBox(const char* text, const char* caption, const MessageBoxStyle& style = {});

// Shows a box on the display and returns once the user has closed it. The
// program installs one where it has a display; tests and headless runs have none.
using MessageBoxPresenter = void (*)(const char* textUtf8, const char* captionUtf8, const MessageBoxStyle& style);
// Null removes it.
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
