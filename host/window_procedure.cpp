#include "host/window_procedure.h"

#include "host/game_core_binding.h"
#include "host/host_state.h"
#include "host/window_messages.h"
#include "resources/resource.h"

namespace {

// The mouse messages the game core receives run from WM_MOUSEMOVE to the
// last X-button message; the wheel among them is handled on its own.
constexpr UINT LastForwardedMouseMessage = WM_XBUTTONDBLCLK;
// The keyboard and character messages run from WM_KEYDOWN to WM_UNICHAR.
constexpr UINT LastForwardedKeyboardMessage = WM_UNICHAR;

// True for the mouse (but the wheel) and keyboard messages the game core receives.
bool isForwardedInput(UINT message) {
    const bool mouse = message >= WM_MOUSEFIRST && message <= LastForwardedMouseMessage &&
                       message != WM_MOUSEWHEEL;
    const bool keyboard = message >= WM_KEYFIRST && message <= LastForwardedKeyboardMessage;
    return mouse || keyboard;
}

// Forwards an input message. After a mouse move the core also gets a chance
// to set its cursor, since the host never sets one itself.
void forwardInput(UINT message, WPARAM wParam, LPARAM lParam) {
    forwardMessage(message, wParam, lParam);
    if (message == WM_MOUSEMOVE)
        forwardMessage(WM_SETCURSOR, 0, 0);
}

// WM_CLOSE and WM_DESTROY: record the request, then either end the run now
// or let the game core decide (it answers QuitMessage or CancelCloseMessage).
void requestClose(UINT message, WPARAM wParam, LPARAM lParam) {
    HostState& host = hostState();
    host.closeRequestedAt = hostClock();
    if (host.waitClose == 0)
        PostQuitMessage(0);
    else
        forwardMessage(message, wParam, lParam);
}

// Keeps the game window over the whole client area of `window`.
void fitGameWindow(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    MoveWindow(hostState().gameWindow, client.left, client.top, client.right, client.bottom, FALSE);
}

// The host draws nothing: the game core owns the game window's pixels.
void validatePaint(HWND window) {
    PAINTSTRUCT paint = {};
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

// WM_GETMINMAXINFO: the top-level window is never dragged smaller than
// MinimumTrackWidth x MinimumTrackHeight.
void limitTrackingSize(LPARAM lParam) {
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info)
        return;
    info->ptMinTrackSize.x = MinimumTrackWidth;
    info->ptMinTrackSize.y = MinimumTrackHeight;
}

// F11: switch between maximized and normal. The key still gets its default
// handling, but the game core never sees it.
LRESULT toggleMaximized(HWND window, LPARAM lParam) {
    HostState& host = hostState();
    ShowWindow(window, host.maximized ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
    host.maximized = !host.maximized;
    return DefWindowProcW(window, WM_KEYDOWN, VK_F11, lParam);
}

// WM_COMMAND: the About box and Exit; any other command gets the default handling.
LRESULT onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case AboutCommand:
            DialogBoxParamW(hostState().instance, MAKEINTRESOURCEW(IDD_ABOUT), window,
                            aboutProcedure, 0);
            return 0;
        case ExitCommand:
            DestroyWindow(window);  // its WM_DESTROY (and the game window's) is a close request
            return 0;
        default:
            return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
    }
}

// Messages without a case of their own: the core's private range, input, or
// the default handling.
LRESULT routeOtherMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER) {
        forwardMessage(message, wParam, lParam);
        return 0;
    }
    if (isForwardedInput(message)) {
        forwardInput(message, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
        case WM_DESTROY:
            requestClose(message, wParam, lParam);
            return 0;

        case WM_SIZE:
            forwardMessage(message, wParam, lParam);
            fitGameWindow(window);
            return 0;

        case WM_SIZING:
            fitGameWindow(window);
            return 0;

        case WM_PAINT:
            validatePaint(window);
            return 0;

        case WM_SETCURSOR:
            forwardMessage(message, wParam, lParam);
            return 0;

        case WM_GETMINMAXINFO:
            limitTrackingSize(lParam);
            return 0;

        case WM_COMMAND:
            return onCommand(window, wParam, lParam);

        case WM_MOUSEWHEEL:
            return 0;  // the game core takes no wheel input

        case WM_KEYDOWN:
            if (wParam == VK_F11)
                return toggleMaximized(window, lParam);
            forwardInput(message, wParam, lParam);
            return 0;

        case QuitMessage:
            PostQuitMessage(0);
            return 0;

        case CancelCloseMessage:
            hostState().closeRequestedAt = 0;
            return 0;

        case RelayToCoreMessage:
            forwardMessage(CoreNotifyMessage, wParam, lParam);
            return 0;

        default:
            return routeOtherMessage(window, message, wParam, lParam);
    }
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;  // let the dialog manager focus the OK button

        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;

        default:
            return FALSE;
    }
}
