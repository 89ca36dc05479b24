// The launcher's message loop, with the close protocol's grace period.
#ifndef ZINDLE_HOST_MESSAGE_LOOP_H
#define ZINDLE_HOST_MESSAGE_LOOP_H

#include <windows.h>

// Runs the message loop of the calling thread until WM_QUIT, a failed
// retrieval, or the end of a close request's grace period: at the first
// message handled more than CloseGraceMs after the request, or at the end of
// the period itself when no message arrives. Returns the wParam of the last
// message retrieved, which becomes the exit code.
WPARAM runMessageLoop();

#endif  // ZINDLE_HOST_MESSAGE_LOOP_H
