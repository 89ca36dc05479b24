// The close protocol's grace period. When a close has been requested and the
// game core has neither confirmed (QuitMessage) nor cancelled
// (CancelCloseMessage) it, the launcher gives up after CloseGraceMs.
//
// Times are milliseconds on the run-time clock (clock() on Windows, which
// counts wall time since process start); 0 means no close is pending.
#ifndef ZINDLE_HOST_CLOSE_GRACE_H
#define ZINDLE_HOST_CLOSE_GRACE_H

#include <cstdint>

// How long the game core may take to answer a close request: long enough to save
// and say goodbye, short enough that a hung core never keeps a closed game around.
constexpr int64_t CloseGraceMs = 3000;

// True when a close is pending (requestedAt != 0) and more than CloseGraceMs
// have passed since it was requested.
bool closeGraceExpired(int64_t requestedAt, int64_t now);

// How many milliseconds from `now` until closeGraceExpired() becomes true;
// 0 when it already is. Requires a pending close (requestedAt != 0).
uint32_t closeGraceRemainingMs(int64_t requestedAt, int64_t now);

#endif  // ZINDLE_HOST_CLOSE_GRACE_H
