// The launcher's own window-message numbers and the commands its windows
// accept. Platform messages (WM_SIZE and so on) keep their platform names.
#ifndef ZINDLE_HOST_WINDOW_MESSAGES_H
#define ZINDLE_HOST_WINDOW_MESSAGES_H

#include <cstdint>

// Host to game core (WM_USER + 0x100): sent once when the core is configured,
// and the form in which RelayToCoreMessage reaches the core.
constexpr uint32_t CoreNotifyMessage = 0x500;

// To either window, usually from the game core: end the run now (exit code 0).
constexpr uint32_t QuitMessage = 0x501;

// To either window: cancel a pending close request, so the run goes on.
constexpr uint32_t CancelCloseMessage = 0x502;

// To either window: pass wParam and lParam on to the game core as CoreNotifyMessage.
constexpr uint32_t RelayToCoreMessage = 0x503;

// WM_COMMAND identifiers (low word of wParam). The windows have no menu and no
// accelerators, so only another party sending WM_COMMAND issues them.
constexpr uint16_t AboutCommand = 104;  // show the About box
constexpr uint16_t ExitCommand = 105;   // destroy the window that received it

#endif  // ZINDLE_HOST_WINDOW_MESSAGES_H
