#include "host/close_grace.h"

bool closeGraceExpired(int64_t requestedAt, int64_t now) {
    return requestedAt != 0 && now - requestedAt > CloseGraceMs;
}

uint32_t closeGraceRemainingMs(int64_t requestedAt, int64_t now) {
    // Expired means strictly more than CloseGraceMs: the first expired
    // millisecond is CloseGraceMs + 1 after the request.
    // A clock that went backwards never asks for more than the whole period.
    const int64_t whole = CloseGraceMs + 1;
    const int64_t remaining = requestedAt + whole - now;
    if (remaining <= 0)
        return 0;
    return static_cast<uint32_t>(remaining < whole ? remaining : whole);
}
