#include <gtest/gtest.h>

#include <cstdint>

#include "host/close_grace.h"

namespace {

struct GraceCase {
    int64_t requestedAt;
    int64_t now;
    bool expired;
    uint32_t remainingMs;
};

// The period ends strictly after CloseGraceMs: a message handled exactly
// 3000 ms after the request still lets the game core answer.
const GraceCase GraceCases[] = {
    {1000, 1000, false, 3001}, {1000, 2500, false, 1501}, {1000, 3999, false, 2},
    {1000, 4000, false, 1},    {1000, 4001, true, 0},     {1000, 4002, true, 0},
    {1000, 100000, true, 0},   {1, 3002, true, 0},        {1, 3001, false, 1},
    {5000, 4000, false, 3001},  // a clock that went backwards never waits longer than the period
};

TEST(CloseGrace, ExpiresStrictlyAfterThePeriod) {
    for (const GraceCase& c : GraceCases) {
        SCOPED_TRACE(testing::Message() << "requested at " << c.requestedAt << ", now " << c.now);
        EXPECT_EQ(closeGraceExpired(c.requestedAt, c.now), c.expired);
        EXPECT_EQ(closeGraceRemainingMs(c.requestedAt, c.now), c.remainingMs);
    }
}

TEST(CloseGrace, NothingExpiresWithoutARequest) {
    for (int64_t now : {int64_t{0}, int64_t{1}, CloseGraceMs + 1, int64_t{1} << 40})
        EXPECT_FALSE(closeGraceExpired(0, now)) << now;
}

TEST(CloseGrace, WaitingTheRemainderReachesExpiry) {
    for (int64_t now = 7000; now <= 7000 + CloseGraceMs + 1; now += 7) {
        const uint32_t remaining = closeGraceRemainingMs(7000, now);
        EXPECT_TRUE(closeGraceExpired(7000, now + remaining)) << now;
        if (remaining > 0) {
            EXPECT_FALSE(closeGraceExpired(7000, now + remaining - 1)) << now;
        }
    }
}

}  // namespace
