// The recording core's reading of the host record and its check of the host
// callback, run in this process on stand-in records, so that the check that
// every end-to-end run relies on ("create host=ok") is itself shown to fail
// when it should. The stand-ins are test-only: the launcher has one record.
// Tried once against the real launcher too: with GameHost::callback declared
// with one argument, the i686 Configuration tests fail on the factory's line
// "create host=bad:callback-stack--4,callback-stack--4, ...".
#include <gtest/gtest.h>

#include <string>

#include "host/game_core.h"
#include "host_record.h"

namespace {

// Laid out as GameHost is: the callback table, then two fields.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// Declared exactly as the launcher's callback is; returns `Result`.
template <int32_t Result>
class TwoArgumentHost {
public:
    virtual int32_t ZINDLE_THISCALL callback(uint32_t, uint32_t) { return Result; }
    void* gameWindow = nullptr;
    void* game = nullptr;
};

// A host whose callback takes one argument: under __thiscall it pops 4 bytes
// where the caller pushed 8, so a caller that does not check its stack goes
// on with ESP 4 bytes off. The check must report a drift of -4.
class OneArgumentHost {
public:
    virtual int32_t ZINDLE_THISCALL callback(uint32_t) { return 0; }
    void* gameWindow = nullptr;
    void* game = nullptr;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

TEST(HostRecord, ReadsTheThreeFieldsInOrder) {
    TwoArgumentHost<0> host;
    host.gameWindow = reinterpret_cast<void*>(0x1234);
    const host_record::Fields fields = host_record::read(&host);
    EXPECT_NE(fields.callbackTable, 0u);
    EXPECT_EQ(host_record::gameWindow(&host), reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(fields.game, static_cast<host_record::Field>(0));
}

TEST(HostRecord, CallbackCheckSeesTheResultAndTheStack) {
#if defined(__i386__)
    TwoArgumentHost<0> zero;
    TwoArgumentHost<7> seven;
    OneArgumentHost oneArgument;
    struct Case {
        const char* name;
        void* host;
        host_record::CallOutcome expected;
    };
    const Case cases[] = {
        {"two arguments, returns 0", &zero, {0, 0}},
        {"two arguments, returns 7", &seven, {7, 0}},
        {"one argument: pops 4 bytes of 8", &oneArgument, {0, -4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const host_record::CallOutcome outcome = host_record::callCallback(c.host, 1, 2);
        EXPECT_EQ(outcome.result, c.expected.result);
        EXPECT_EQ(outcome.stackDrift, c.expected.stackDrift);
    }
#else
    GTEST_SKIP() << "on x86_64 the caller pops the arguments: nothing to balance";
#endif
}

}  // namespace
