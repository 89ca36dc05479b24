#include "host/host_state.h"

#include "host/close_grace.h"

// The close protocol counts clock() ticks as milliseconds.
static_assert(CLOCKS_PER_SEC == 1000, "clock() counts milliseconds on Windows");

HostState& hostState() {
    static HostState state;
    return state;
}

std::clock_t hostClock() {
    return std::clock();
}

bool hostCloseGraceExpired() {
    return closeGraceExpired(hostState().closeRequestedAt, hostClock());
}
