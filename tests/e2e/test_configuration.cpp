// What the game core is told at start, as it sees it: the exact call
// sequence, with the URL and connection state having made the trip from the
// wide command line through GB2312 (code page 936) and back to wide text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/game_core.h"
#include "host/window_messages.h"
#include "launcher_run.h"
#include "log_lines.h"
#include "record_format.h"
#include "run_checks.h"

namespace {

using record::call;

// The calls from the factory to the start notice, for a core given `url`
// and `connstate` and the game window `game`.
LogLines startSequence(HWND game, const std::wstring& url, const std::wstring& connstate) {
    return {
        record::createOk(game),
        call(GameCoreSlot::Initialize),
        call(GameCoreSlot::SetFixedOption14, "60"),
        call(GameCoreSlot::SetFixedOption12, "0"),
        call(GameCoreSlot::SetFixedOption15, "1"),
        call(GameCoreSlot::SetUrl, record::text(url.c_str())),
        call(GameCoreSlot::SetFixedOption13, "2"),
        call(GameCoreSlot::SetConnectionState, record::text(connstate.c_str())),
        call(GameCoreSlot::ApplySettings),
        call(GameCoreSlot::AttachComponent, "2 1 " + record::window(game) + " 0 0"),
        call(GameCoreSlot::AttachComponent, "3 1 0 0 0"),
        call(GameCoreSlot::AttachComponent, "4 1 0 0 0"),
        record::message(0x0500, 0, 0),
    };
}

LogLines firstLines(const LogLines& log, size_t count) {
    return LogLines(log.begin(),
                    log.begin() + static_cast<std::ptrdiff_t>(std::min(count, log.size())));
}

void expectOrderlyEnd(const LogLines& log) {
    expectShutdownLast(log);
    EXPECT_TRUE(linesStartingWith(log, "check").empty());
    for (GameCoreSlot unused : {GameCoreSlot::Unused6, GameCoreSlot::Unused7, GameCoreSlot::Unused8,
                                GameCoreSlot::Unused10})
        EXPECT_EQ(countLines(log, call(unused)), 0u) << static_cast<int>(unused);
}

// Starts a launcher, checks what its core was told, and ends it with
// `message` to one of its windows.
void expectConfiguredThenEnded(const std::wstring& commandLine, const std::wstring& url,
                               const std::wstring& connstate, UINT message) {
    LauncherRun run({commandLine, "", false});
    ASSERT_TRUE(run.waitUntilStarted());
    const LogLines expected = startSequence(run.gameWindow(), url, connstate);
    EXPECT_EQ(firstLines(run.log(), expected.size()), expected);
    const HWND window = message == WM_CLOSE ? run.mainWindow() : run.gameWindow();
    ASSERT_TRUE(endsWithZeroAfter(run, window, message));
    expectOrderlyEnd(run.log());
}

TEST(Configuration, ChineseUrlMakesTheRoundTripThroughGb2312) {
    // 游戏 中文 区 张三, 连接中: all of them GB2312 characters.
    const std::wstring url =
        L"https://\u6E38\u620F.example/\u4E2D\u6587?\u533A=1&name=\u5F20\u4E09";
    const std::wstring connstate = L"\u8FDE\u63A5\u4E2D";
    expectConfiguredThenEnded(L"url='" + url + L"', connstate=" + connstate + L", waitClose=0", url,
                              connstate, WM_CLOSE);
}

TEST(Configuration, OneGroupWithoutConnectionState) {
    expectConfiguredThenEnded(L"{url=http://x/}", L"http://x/", L"", QuitMessage);
}

TEST(Configuration, TextGb2312CannotHoldArrivesAsQuestionMarks) {
    // Thai ก (U+0E01) has no GB2312 form: the trip through code page 936
    // turns it into the code page's default character.
    LauncherRun run({L"url=x\u0E01y, connstate=\u0E01, waitClose=0", "", false});
    ASSERT_TRUE(run.waitUntilStarted());
    const LogLines log = run.log();
    EXPECT_NE(findLine(log, call(GameCoreSlot::SetUrl, "x?y")), std::string::npos);
    EXPECT_NE(findLine(log, call(GameCoreSlot::SetConnectionState, "?")), std::string::npos);
}

}  // namespace
