// The launcher's message loop, with the close protocol's grace period.
#ifndef ZINDLE_HOST_MESSAGE_LOOP_H
#define ZINDLE_HOST_MESSAGE_LOOP_H

#include <windows.h>

// Runs the thread's message loop until WM_QUIT, a failed retrieval or the end of
// a close request's grace period; returns the last message's wParam, the exit code.
WPARAM runMessageLoop();

#endif  // ZINDLE_HOST_MESSAGE_LOOP_H
