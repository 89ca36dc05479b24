#include "run_checks.h"

#include "host/game_core.h"
#include "record_format.h"

testing::AssertionResult endsWithZeroAfter(LauncherRun& run, HWND window, UINT message,
                                           WPARAM wParam) {
    PostMessageW(window, message, wParam, 0);
    if (!run.waitForExit())
        return testing::AssertionFailure() << "the launcher did not end";
    if (run.exitCode() != 0)
        return testing::AssertionFailure() << "exit code " << run.exitCode();
    return testing::AssertionSuccess();
}

void expectShutdownLast(const LogLines& log) {
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], record::call(GameCoreSlot::Shutdown));
    EXPECT_EQ(log.back(), record::call(GameCoreSlot::Destroy, "1"));
}
