// The launcher's two windows: the top-level window and the child game window
// the game core draws in. Both belong to one window class.
#ifndef ZINDLE_HOST_MAIN_WINDOW_H
#define ZINDLE_HOST_MAIN_WINDOW_H

#include <windows.h>

// Size of the top-level window's client area at creation, in pixels.
constexpr int InitialClientWidth = 1152;
constexpr int InitialClientHeight = 640;

// The caption of both windows: a fixed text, not taken from the resources.
inline constexpr wchar_t WindowCaption[] = L"Kelvaran";

// Registers the window class named hostState().className, served by
// windowProcedure. A failure is ignored: window creation reports it.
void registerWindowClass(HINSTANCE instance);

// Creates the top-level window (shown maximized) and the game window over its
// client area, both kept in the host state; false when the top-level one fails.
bool createWindows(HINSTANCE instance);

#endif  // ZINDLE_HOST_MAIN_WINDOW_H
