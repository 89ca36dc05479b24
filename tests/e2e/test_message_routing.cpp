// How the launcher's window procedure routes messages, seen from the game
// core: input is forwarded (a mouse move twice over), the wheel and F11 are
// not, the game window always covers the client area, and the About and Exit
// commands work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/window_messages.h"
#include "launcher_run.h"
#include "log_lines.h"
#include "record_format.h"
#include "run_checks.h"
#include "window_search.h"

namespace {

// The key-data lParam of a first key press and of its release (scan code 0x10).
constexpr LPARAM KeyPressed = 0x00100001;
constexpr LPARAM KeyReleased = static_cast<LPARAM>(0xC0100001u);
// Alt held: the context bit of a system key (scan code 0x3E, F4).
constexpr LPARAM AltF4Pressed = 0x203E0001;
constexpr LPARAM AltF4Released = static_cast<LPARAM>(0xE03E0001u);

// The window sizes the launcher is built around.
constexpr int ClientWidth = 1152;
constexpr int ClientHeight = 640;
constexpr LONG MinimumTrackWidth = 640;
constexpr LONG MinimumTrackHeight = 480;

// A value no real MINMAXINFO holds, to see which fields were left alone.
constexpr LONG Untouched = 12345;

struct Posted {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

LPARAM point(int x, int y) {
    return MAKELPARAM(x, y);
}

std::string forwarded(const Posted& posted) {
    return record::message(posted.message, posted.wParam, posted.lParam);
}

// Whether `expected` occurs in `log` in this order, other lines in between allowed.
bool isSubsequence(const LogLines& expected, const LogLines& log) {
    size_t at = 0;
    for (const std::string& line : expected) {
        at = findLine(log, line, at);
        if (at == std::string::npos)
            return false;
        ++at;
    }
    return true;
}

void expectGameWindowCoversClientArea(const LauncherRun& run) {
    RECT client = {};
    GetClientRect(run.mainWindow(), &client);
    const RECT game = rectIn(run.gameWindow(), run.mainWindow());
    EXPECT_EQ(game.left, client.left);
    EXPECT_EQ(game.top, client.top);
    EXPECT_EQ(game.right, client.right);
    EXPECT_EQ(game.bottom, client.bottom);
}

class Routing : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(run.waitUntilStarted()); }
    void TearDown() override { EXPECT_TRUE(endsWithZeroAfter(run, run.gameWindow(), QuitMessage)); }

    LauncherRun run{{L"url=x, waitClose=0", "", false}};
};

TEST_F(Routing, InputReachesTheCoreButNotTheWheel) {
    const HWND game = run.gameWindow();
    const Posted move = {WM_MOUSEMOVE, 0, point(10, 20)};
    const std::vector<Posted> input = {
        move,
        {WM_LBUTTONDOWN, MK_LBUTTON, point(11, 21)},
        {WM_LBUTTONUP, 0, point(11, 21)},
        {WM_LBUTTONDBLCLK, MK_LBUTTON, point(11, 21)},
        {WM_RBUTTONDOWN, MK_RBUTTON, point(12, 22)},
        {WM_MBUTTONUP, 0, point(13, 23)},
        {WM_XBUTTONDOWN, MAKEWPARAM(MK_XBUTTON1, XBUTTON1), point(14, 24)},
        {WM_XBUTTONDBLCLK, MAKEWPARAM(MK_XBUTTON2, XBUTTON2), point(15, 25)},
        {WM_KEYDOWN, 'Q', KeyPressed},
        {WM_KEYUP, 'Q', KeyReleased},
        {WM_CHAR, 'q', KeyPressed},
        {WM_SYSKEYDOWN, VK_F4, AltF4Pressed},  // the system's Alt+F4 never happens
        {WM_SYSKEYUP, VK_F4, AltF4Released},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(game), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)},
        {WM_USER + 0x77, 5, -6},
    };
    const Posted wheel = {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), point(16, 26)};

    const size_t from = run.log().size();
    for (const Posted& posted : input) {
        PostMessageW(game, posted.message, posted.wParam, posted.lParam);
        if (posted.message == WM_MOUSEMOVE)
            PostMessageW(game, wheel.message, wheel.wParam, wheel.lParam);
    }
    PostMessageW(game, RelayToCoreMessage, 7, 9);
    ASSERT_TRUE(run.sync());
    const LogLines log = linesFrom(run.log(), from);

    LogLines expected;
    for (const Posted& posted : input)
        expected.push_back(forwarded(posted));
    expected.push_back(record::message(CoreNotifyMessage, 7, 9));  // 0x503 arrives as 0x500
    EXPECT_TRUE(isSubsequence(expected, log));

    // A mouse move gives two calls: the move, then a chance to set the cursor.
    const size_t moved = findLine(log, forwarded(move));
    ASSERT_NE(moved, std::string::npos);
    ASSERT_LT(moved + 1, log.size());
    EXPECT_EQ(log[moved + 1], record::message(WM_SETCURSOR, 0, 0));

    EXPECT_TRUE(linesStartingWith(log, record::messagePrefix(WM_MOUSEWHEEL)).empty());
    EXPECT_TRUE(linesStartingWith(log, record::messagePrefix(WM_CLOSE)).empty());
    EXPECT_TRUE(linesStartingWith(log, record::messagePrefix(WM_SYSCOMMAND)).empty());
    EXPECT_TRUE(IsWindow(run.mainWindow()));
}

TEST_F(Routing, F11SwitchesBetweenMaximizedAndNormal) {
    const HWND main = run.mainWindow();
    ASSERT_TRUE(IsZoomed(main));
    const size_t from = run.log().size();

    PostMessageW(main, WM_KEYDOWN, VK_F11, KeyPressed);
    ASSERT_TRUE(run.sync());
    EXPECT_FALSE(IsZoomed(main));
    // Normal is where the window was created: a 1152 x 640 client area,
    // centred on the screen.
    const int width = ClientWidth + 2 * GetSystemMetrics(SM_CXFRAME);
    const int height =
        ClientHeight + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    RECT normal = {};
    GetWindowRect(main, &normal);
    EXPECT_EQ(normal.right - normal.left, width);
    EXPECT_EQ(normal.bottom - normal.top, height);
    EXPECT_EQ(normal.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(normal.top, std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2));
    expectGameWindowCoversClientArea(run);

    // The resize reached the core twice, once from each window.
    RECT client = {};
    GetClientRect(main, &client);
    const std::string resized =
        record::message(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    EXPECT_EQ(countLines(linesFrom(run.log(), from), resized), 2u);

    PostMessageW(main, WM_KEYDOWN, VK_F11, KeyPressed);
    ASSERT_TRUE(run.sync());
    EXPECT_TRUE(IsZoomed(main));
    expectGameWindowCoversClientArea(run);
    EXPECT_TRUE(linesStartingWith(linesFrom(run.log(), from),
                                  record::messagePrefix(WM_KEYDOWN) + std::to_string(VK_F11))
                    .empty())
        << "F11 reached the core";
}

TEST_F(Routing, ResizingKeepsTheGameWindowOverTheClientArea) {
    const HWND main = run.mainWindow();
    ShowWindow(main, SW_RESTORE);
    SetWindowPos(main, nullptr, 40, 30, 900, 700, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(run.sync());
    expectGameWindowCoversClientArea(run);

    // Knock the game window out of place; WM_SIZING on the top-level window
    // (as during a drag) puts it back, without telling the core.
    const size_t from = run.log().size();
    SetWindowPos(run.gameWindow(), nullptr, 0, 0, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT dragged = {};
    GetWindowRect(main, &dragged);
    SendMessageW(main, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
    ASSERT_TRUE(run.sync());
    expectGameWindowCoversClientArea(run);
    EXPECT_TRUE(
        linesStartingWith(linesFrom(run.log(), from), record::messagePrefix(WM_SIZING)).empty());
}

TEST_F(Routing, MinimumTrackingSize) {
    MINMAXINFO info = {};
    info.ptMaxTrackSize = {Untouched, Untouched};
    info.ptMinTrackSize = {Untouched, Untouched};
    const size_t from = run.log().size();
    SendMessageW(run.mainWindow(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, MinimumTrackWidth);
    EXPECT_EQ(info.ptMinTrackSize.y, MinimumTrackHeight);
    EXPECT_EQ(info.ptMaxTrackSize.x, Untouched);
    EXPECT_EQ(info.ptMaxTrackSize.y, Untouched);
    ASSERT_TRUE(run.sync());
    EXPECT_TRUE(
        linesStartingWith(linesFrom(run.log(), from), record::messagePrefix(WM_GETMINMAXINFO))
            .empty());
}

TEST(RoutingInside, MinimumTrackingSizeIgnoresANullPointer) {
    // Sent from inside the launcher (a null pointer cannot cross processes).
    LauncherRun run({L"url=x, waitClose=0", "on start send 0x0024 0 0", false});
    ASSERT_TRUE(run.waitUntilStarted());
    EXPECT_TRUE(run.waitForLine("sent 0x0024 0 0 -> 0"));
    EXPECT_TRUE(run.sync());
    EXPECT_TRUE(endsWithZeroAfter(run, run.gameWindow(), QuitMessage));
}

TEST_F(Routing, AboutCommandShowsTheAboutBoxOwnedByTheWindow) {
    const HWND main = run.mainWindow();
    const size_t from = run.log().size();
    for (WPARAM answer : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(answer == IDOK ? "OK" : "Cancel");
        PostMessageW(main, WM_COMMAND, MAKEWPARAM(AboutCommand, 0), 0);
        const HWND about =
            waitForTopLevel(run.processId(), DialogClass, L"About zindleQrvt", StartTimeoutMs);
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(waitUntilDialogReady(about, 2, StartTimeoutMs));
        EXPECT_EQ(GetWindow(about, GW_OWNER), main);
        EXPECT_FALSE(IsWindowEnabled(main)) << "the About box is modal";

        const std::vector<HWND> controls = childWindows(about);
        ASSERT_EQ(controls.size(), 2u);
        EXPECT_EQ(windowText(controls[0]), L"zindleQrvt, Version 1.0");
        EXPECT_EQ(windowText(controls[1]), L"OK");
        EXPECT_EQ(GetDlgCtrlID(controls[1]), IDOK);
        EXPECT_EQ(GetWindowLongW(controls[1], GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

        PostMessageW(about, WM_COMMAND, answer, 0);
        for (ULONGLONG deadline = GetTickCount64() + ExitTimeoutMs;
             IsWindow(about) && GetTickCount64() < deadline;)
            Sleep(20);
        EXPECT_FALSE(IsWindow(about));
        ASSERT_TRUE(run.sync());
        EXPECT_TRUE(IsWindowEnabled(main));
    }
    EXPECT_TRUE(
        linesStartingWith(linesFrom(run.log(), from), record::messagePrefix(WM_COMMAND)).empty());
}

TEST_F(Routing, OtherCommandsDoNothing) {
    PostMessageW(run.mainWindow(), WM_COMMAND, MAKEWPARAM(999, 0), 0);
    ASSERT_TRUE(run.sync());
    EXPECT_TRUE(IsWindow(run.mainWindow()));
    EXPECT_EQ(findTopLevel(run.processId(), DialogClass), nullptr);
}

TEST(Commands, ExitDestroysTheWindowAndWithWaitCloseZeroEndsTheRun) {
    LauncherRun run({L"url=x, waitClose=0", "", false});
    ASSERT_TRUE(run.waitUntilStarted());
    ASSERT_TRUE(endsWithZeroAfter(run, run.mainWindow(), WM_COMMAND, MAKEWPARAM(ExitCommand, 0)));
    const LogLines log = run.log();
    EXPECT_TRUE(linesStartingWith(log, record::messagePrefix(WM_DESTROY)).empty());
    expectShutdownLast(log);
}

}  // namespace
