// The launcher's side of the game-core contract (host/game_core.h): the
// program-wide host record, the start and shutdown sequences, and message
// forwarding. Every call into the core is made on the message-loop thread.
#ifndef ZINDLE_HOST_GAME_CORE_BINDING_H
#define ZINDLE_HOST_GAME_CORE_BINDING_H

#include <cstdint>

#include "host/game_core.h"

// The program-wide host record handed to CreateZindle. It lives until the
// process ends, because the core may keep the pointer.
GameHost& gameHost();

// Asks CreateZindle for the game object and configures it in the core's fixed
// order; `url` and `connstate` must live for the whole run (the core keeps them).
void startGameCore(GameWindowHandle gameWindow, const wchar_t* url, const wchar_t* connstate);

// Passes one window message to the game object's message slot, unchanged;
// does nothing while there is no game object.
void forwardMessage(uint32_t message, MessageWParam wParam, MessageLParam lParam);

// After the message loop: shuts the game object down, destroys it and
// forgets it. Does nothing when there is none.
void stopGameCore();

#endif  // ZINDLE_HOST_GAME_CORE_BINDING_H
