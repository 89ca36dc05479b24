// The launcher's program-wide state, shared by the entry function, the
// message loop and the window procedure. Everything runs on the one thread
// that runs the message loop, so nothing here is locked.
#ifndef ZINDLE_HOST_HOST_STATE_H
#define ZINDLE_HOST_HOST_STATE_H

#include <windows.h>

#include <cstdint>
#include <ctime>

// Capacity of the class-name buffer, terminator included.
constexpr int ClassNameCapacity = 100;

// All zero or null at start unless stated.
struct HostState {
    HINSTANCE instance = nullptr;
    // The window class name, loaded from string resource IDS_WINDOW_CLASS.
    wchar_t className[ClassNameCapacity] = {};
    HWND mainWindow = nullptr;
    // The child window the game core draws in; also in the GameHost record.
    HWND gameWindow = nullptr;
    // Outer size of the top-level window at creation, in pixels.
    int windowWidth = 0;
    int windowHeight = 0;
    // Whether the top-level window is maximized, as the F11 toggle sees it.
    bool maximized = false;
    // clock() when a close was requested; 0 while none is pending.
    std::clock_t closeRequestedAt = 0;
    // The launch parameter: 0 quits at once on close, otherwise the game core decides.
    int32_t waitClose = 1;
};

// The one instance of the host state.
HostState& hostState();

// Milliseconds since process start on the run-time clock.
std::clock_t hostClock();

// True when a close request is pending and its grace period has run out.
bool hostCloseGraceExpired();

#endif  // ZINDLE_HOST_HOST_STATE_H
