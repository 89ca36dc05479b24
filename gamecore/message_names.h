// Readable names for the window messages a game core receives, for the demo
// core's live message list.
#ifndef ZINDLE_GAMECORE_MESSAGE_NAMES_H
#define ZINDLE_GAMECORE_MESSAGE_NAMES_H

#include <windows.h>

#include <cstdint>
#include <string>

// The message's name ("WM_MOUSEMOVE", "WM_USER+0x10"), or its number in hex.
std::wstring messageName(uint32_t message);

// The parameters in the message's own terms: a position for mouse messages,
// a key or character for keyboard messages, a size for WM_SIZE, and both
// numbers for anything else.
std::wstring messageDetail(uint32_t message, WPARAM wParam, LPARAM lParam);

#endif  // ZINDLE_GAMECORE_MESSAGE_NAMES_H
