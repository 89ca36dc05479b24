// The launcher's diagnostics: its wide text on the debugger output, and the
// error box.
#ifndef ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H
#define ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H

// Sends wide text to the debugger output (OutputDebugStringW on Windows; a
// UTF-8 line on standard error elsewhere); a null text sends an empty one.
// The library's debugOutputBytes is its byte-for-byte counterpart.
void debugOutputWide(const wchar_t* text);

// Shows a modal error box with no owner, the default caption and an OK
// button, holding a GB2312 text. Off Windows the text goes to standard
// error as UTF-8. Returns when the box has been dismissed.
void showErrorBox(const char* gb2312Text);

#endif  // ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H
