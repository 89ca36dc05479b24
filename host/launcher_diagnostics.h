// The launcher's diagnostics: its wide text on the debugger output, and the
// error box.
#ifndef ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H
#define ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H

// Sends wide text to the debugger output (elsewhere than Windows, a UTF-8 line
// on standard error); the library's debugOutputBytes sends bytes as they are.
void debugOutputWide(const wchar_t* text);

// Shows a GB2312 text in a modal error box (no owner, default caption, OK) and
// returns once it is dismissed; elsewhere than Windows, a UTF-8 line on standard error.
void showErrorBox(const char* gb2312Text);

#endif  // ZINDLE_HOST_LAUNCHER_DIAGNOSTICS_H
