// How the recording core reads the GameHost record and calls its callback:
// the way a core built with the platform's compiler does, not through the
// launcher's own C++ declarations, so that a mismatch between those
// declarations and the binary contract shows up as a failed check.
#ifndef ZINDLE_TESTS_E2E_HOST_RECORD_H
#define ZINDLE_TESTS_E2E_HOST_RECORD_H

#include <windows.h>

#include <cstdint>

#include "host/game_core.h"

namespace host_record {

// One field of the record. The closed 32-bit core knows three 32-bit words;
// the 64-bit build keeps pointer-sized ones.
#if defined(__i386__)
using Field = uint32_t;
#else
using Field = uintptr_t;
#endif

// The record as the core reads it: three fields, in this order.
struct Fields {
    Field callbackTable;
    Field gameWindow;
    Field game;
};
static_assert(sizeof(Fields) == sizeof(GameHost), "the record is exactly three fields");

// A copy of the record's three fields as they are now.
Fields read(const void* host);

// The game window the record holds.
HWND gameWindow(const void* host);

// What one call of the callback entry gave back.
struct CallOutcome {
    int32_t result;      // the entry's return value
    int32_t stackDrift;  // ESP after the call minus ESP before it: 0 when balanced
};

// Calls the first entry of the record's callback table with two 32-bit
// arguments. On i686 this is a __thiscall made by hand: the record in ECX,
// `second` then `first` pushed, and the entry expected to pop both (8 bytes).
// An entry declared with one argument pops only 4 and leaves ESP 4 bytes low
// (a drift of -4); the caller's ESP is restored either way. On x86_64 the
// caller cleans up, so the drift is always 0 there.
CallOutcome callCallback(void* host, uint32_t first, uint32_t second);

}  // namespace host_record

#endif  // ZINDLE_TESTS_E2E_HOST_RECORD_H
