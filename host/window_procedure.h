// The one window procedure of both launcher windows, and the About box's
// dialog procedure.
//
// Routing, for the top-level window and the game window alike:
//   WM_CLOSE, WM_DESTROY   close request (see the close protocol below)
//   WM_SIZE                forwarded, then the game window is fitted
//   WM_SIZING              the game window is fitted (not forwarded)
//   WM_PAINT               validated; the game core draws the game window
//   WM_SETCURSOR           forwarded
//   WM_GETMINMAXINFO       minimum tracking size MinimumTrackWidth x MinimumTrackHeight
//   WM_COMMAND             AboutCommand, ExitCommand; others to the default
//   WM_MOUSEWHEEL          swallowed
//   F11 key-down           toggles maximized and normal (not forwarded)
//   QuitMessage            ends the run
//   CancelCloseMessage     cancels a pending close request
//   RelayToCoreMessage     forwarded as CoreNotifyMessage
//   other WM_USER and up   forwarded
//   mouse and keyboard     forwarded (a mouse move also forwards WM_SETCURSOR)
//   anything else          DefWindowProc
// Keyboard messages never reach DefWindowProc (only F11 key-down does), so
// the system's own keys such as Alt+F4 do nothing: the game core owns them.
//
// Close protocol: a close request records the time. With waitClose 0 the run
// ends at once; otherwise the request goes to the game core, which answers
// QuitMessage to end the run or CancelCloseMessage to go on. Without either,
// the message loop gives up after CloseGraceMs. The window is never destroyed
// here; the process ends with it.
#ifndef ZINDLE_HOST_WINDOW_PROCEDURE_H
#define ZINDLE_HOST_WINDOW_PROCEDURE_H

#include <windows.h>

// The smallest size the user can drag the top-level window to, in pixels.
constexpr LONG MinimumTrackWidth = 640;
constexpr LONG MinimumTrackHeight = 480;

// The window procedure of the launcher's window class. Returns 0 for every
// message it handles itself.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The About box's dialog procedure: OK and Cancel end the dialog.
INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif  // ZINDLE_HOST_WINDOW_PROCEDURE_H
