// The launcher's diagnostics: the debugger output, and the error box.
#ifndef ZINDLE_HOST_DEBUG_OUTPUT_H
#define ZINDLE_HOST_DEBUG_OUTPUT_H

// Sends wide text to the debugger output (OutputDebugStringW on Windows;
// standard error as UTF-8 elsewhere, with a line break).
void debugOutput(const wchar_t* text);

// Shows a modal error box with no owner, the default caption and an OK
// button, holding a GB2312 text. Off Windows the text goes to standard
// error as UTF-8. Returns when the box has been dismissed.
void showErrorBox(const char* gb2312Text);

#endif  // ZINDLE_HOST_DEBUG_OUTPUT_H
