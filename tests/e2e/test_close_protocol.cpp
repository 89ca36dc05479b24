// The close protocol end to end: with waitClose 0 a close ends the run at
// once; otherwise the game core answers 0x501 (end) or 0x502 (go on), and
// without an answer the run ends after the grace period, whether messages
// keep coming or not.
#include <gtest/gtest.h>

#include <string>

#include "host/close_grace.h"
#include "host/game_core.h"
#include "host/window_messages.h"
#include "launcher_run.h"
#include "log_lines.h"
#include "record_format.h"
#include "run_checks.h"

namespace {

using record::call;

// Slack for a run to end after the moment the protocol says it should: Wine
// process shutdown and the tests' own polling, with room to spare.
constexpr ULONGLONG EndSlackMs = 2500;

// A private message number for streams and markers of these tests.
constexpr UINT StreamMessage = WM_USER + 0x20;
constexpr UINT LastWordMessage = WM_USER + 0x21;

// The stream's first wParam; each further message counts up by one.
constexpr unsigned StreamFirst = 1000;
constexpr unsigned StreamLength = 80;

TEST(CloseProtocol, WaitCloseZeroEndsTheRunAtOnce) {
    LauncherRun run({L"url=x, waitClose=0", "", false});
    ASSERT_TRUE(run.waitUntilStarted());
    const ULONGLONG closedAt = GetTickCount64();
    ASSERT_TRUE(endsWithZeroAfter(run, run.mainWindow(), WM_CLOSE));
    EXPECT_LT(run.exitedAt() - closedAt, static_cast<ULONGLONG>(CloseGraceMs));
    const LogLines log = run.log();
    EXPECT_EQ(countLines(log, record::message(WM_CLOSE, 0, 0)), 0u) << "not the core's to decide";
    expectShutdownLast(log);
}

TEST(CloseProtocol, TheCoreConfirmsWithQuitMessage) {
    // waitClose is 1 when not given.
    LauncherRun run({L"(url=x)", "on 0x0010 post 0x0501 after 300", false});
    ASSERT_TRUE(run.waitUntilStarted());
    const ULONGLONG closedAt = GetTickCount64();
    ASSERT_TRUE(endsWithZeroAfter(run, run.mainWindow(), WM_CLOSE));
    EXPECT_LT(run.exitedAt() - closedAt, static_cast<ULONGLONG>(CloseGraceMs))
        << "the run waited for the grace period instead of the core's answer";

    const LogLines log = run.log();
    const size_t close = findLine(log, record::message(WM_CLOSE, 0, 0));
    ASSERT_NE(close, std::string::npos) << "the close request did not reach the core";
    EXPECT_NE(findLine(log, "post 0x0501 0 0", close), std::string::npos);
    expectShutdownLast(log);
}

// The cases below each wait out the grace period, so they run side by side.
struct GraceRuns {
    LauncherRun cancelled{{L"url=x", "on 0x0010 post 0x0502", false}};
    LauncherRun streaming{{L"url=x",
                           "on 0x0010 post " + std::to_string(StreamMessage) + " " +
                               std::to_string(StreamFirst) + " 0 repeat " +
                               std::to_string(StreamLength) + " every 100",
                           false}};
    LauncherRun idle{{L"url=x", "", false}};
    LauncherRun destroyed{{L"url=x", "", false}};
};

// The run ends, not before the grace period after `closedAt` is over and not
// long after.
testing::AssertionResult endsWhenTheGracePeriodIsOver(LauncherRun& run, ULONGLONG closedAt) {
    if (!run.waitForExit())
        return testing::AssertionFailure() << "the launcher did not end";
    const ULONGLONG elapsed = run.exitedAt() - closedAt;
    if (elapsed < static_cast<ULONGLONG>(CloseGraceMs) || elapsed >= CloseGraceMs + EndSlackMs)
        return testing::AssertionFailure() << "it ended " << elapsed << " ms after the close";
    return testing::AssertionSuccess();
}

void checkCancelled(LauncherRun& run, ULONGLONG closedAt) {
    SCOPED_TRACE("0x502 cancels the pending close");
    ASSERT_TRUE(run.waitForLine("post 0x0502 0 0"));
    const ULONGLONG pastTheGrace = closedAt + CloseGraceMs + 500;
    if (GetTickCount64() < pastTheGrace)
        Sleep(static_cast<DWORD>(pastTheGrace - GetTickCount64()));
    EXPECT_TRUE(run.sync()) << "a message after the grace period was not handled";
    EXPECT_TRUE(run.running());
    EXPECT_TRUE(endsWithZeroAfter(run, run.gameWindow(), QuitMessage));
}

void checkStreaming(LauncherRun& run, ULONGLONG closedAt) {
    SCOPED_TRACE("a stream of messages: the first one after the grace period ends the run");
    ASSERT_TRUE(endsWhenTheGracePeriodIsOver(run, closedAt));

    const LogLines stream = linesStartingWith(run.log(), record::messagePrefix(StreamMessage));
    ASSERT_FALSE(stream.empty());
    const std::string expectedLast = record::message(StreamMessage, run.exitCode(), 0);
    EXPECT_EQ(stream.back(), expectedLast) << "the exit code is the last message's wParam";
    EXPECT_GT(run.exitCode(), StreamFirst);
    EXPECT_LT(run.exitCode(), StreamFirst + StreamLength - 1) << "the stream ran out first";
    expectShutdownLast(run.log());
}

void checkIdle(LauncherRun& run, ULONGLONG closedAt) {
    SCOPED_TRACE("no messages at all: the run ends at the end of the grace period");
    ASSERT_TRUE(endsWhenTheGracePeriodIsOver(run, closedAt));
    EXPECT_EQ(run.exitCode(), 77u) << "the exit code is the last message's wParam";
    const LogLines log = run.log();
    const size_t close = findLine(log, record::message(WM_CLOSE, 0, 0));
    ASSERT_NE(close, std::string::npos);
    EXPECT_EQ(findLine(log, record::message(LastWordMessage, 77, 0)), close + 1);
    expectShutdownLast(log);
}

void checkDestroyed(LauncherRun& run, ULONGLONG closedAt) {
    SCOPED_TRACE("command 105: both windows close, and nothing is left to answer");
    ASSERT_TRUE(endsWhenTheGracePeriodIsOver(run, closedAt));
    EXPECT_FALSE(IsWindow(run.mainWindow()));
    const LogLines log = run.log();
    EXPECT_EQ(countLines(log, record::message(WM_DESTROY, 0, 0)), 2u)
        << "one close request for each window";
    expectShutdownLast(log);
}

// Puts a launcher's window into one quarter of the screen. Side by side, no
// launcher's windows cover another's, so one ending or closing never makes
// the system repaint another: an unexpected WM_PAINT would be "the last
// message" of an idle run and change its exit code.
void moveToQuarter(LauncherRun& run, int quarter) {
    const int width = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int height = GetSystemMetrics(SM_CYSCREEN) / 2;
    ShowWindow(run.mainWindow(), SW_RESTORE);
    SetWindowPos(run.mainWindow(), nullptr, (quarter % 2) * width, (quarter / 2) * height, width,
                 height, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(run.sync());  // the move's own messages are handled before the test goes on
}

TEST(CloseProtocol, GracePeriod) {
    GraceRuns runs;
    int quarter = 0;
    for (LauncherRun* run : {&runs.cancelled, &runs.streaming, &runs.idle, &runs.destroyed}) {
        ASSERT_TRUE(run->waitUntilStarted());
        moveToQuarter(*run, quarter++);
    }

    const ULONGLONG closedAt = GetTickCount64();
    PostMessageW(runs.cancelled.mainWindow(), WM_CLOSE, 0, 0);
    PostMessageW(runs.streaming.mainWindow(), WM_CLOSE, 0, 0);
    PostMessageW(runs.idle.mainWindow(), WM_CLOSE, 0, 0);
    PostMessageW(runs.idle.gameWindow(), LastWordMessage, 77, 0);
    PostMessageW(runs.destroyed.mainWindow(), WM_COMMAND, MAKEWPARAM(ExitCommand, 0), 0);

    checkCancelled(runs.cancelled, closedAt);
    checkStreaming(runs.streaming, closedAt);
    checkIdle(runs.idle, closedAt);
    checkDestroyed(runs.destroyed, closedAt);
}

}  // namespace
