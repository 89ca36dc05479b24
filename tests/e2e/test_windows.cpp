// The launcher's two windows as another program sees them: class, captions,
// styles, and the game window over the whole client area.
#include <gtest/gtest.h>

#include "host/window_messages.h"
#include "launcher_run.h"
#include "record_format.h"
#include "run_checks.h"
#include "window_search.h"

namespace {

TEST(Windows, ClassCaptionsAndStyles) {
    LauncherRun run({L"url=x, waitClose=0", "", false});
    ASSERT_TRUE(run.waitUntilStarted());
    const HWND main = run.mainWindow();
    const HWND game = run.gameWindow();

    EXPECT_EQ(FindWindowW(L"ZINDLEQRVT", L"Kelvaran"), main);
    EXPECT_EQ(className(main), L"ZINDLEQRVT");
    EXPECT_EQ(windowText(main), L"Kelvaran");
    EXPECT_EQ(className(game), L"ZINDLEQRVT");
    EXPECT_EQ(windowText(game), L"Kelvaran");
    EXPECT_EQ(GetParent(game), main);
    EXPECT_EQ(childWindows(main), std::vector<HWND>{game});

    const LONG mainStyle = GetWindowLongW(main, GWL_STYLE);
    EXPECT_EQ(mainStyle & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(mainStyle & WS_CHILD, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(IsZoomed(main)) << "shown maximized";
    const LONG gameStyle = GetWindowLongW(game, GWL_STYLE);
    EXPECT_EQ(gameStyle & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(gameStyle & (WS_CAPTION | WS_THICKFRAME), 0);

    EXPECT_EQ(GetClassLongW(main, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);

    RECT client = {};
    GetClientRect(main, &client);
    const RECT covered = rectIn(game, main);
    EXPECT_EQ(covered.left, 0);
    EXPECT_EQ(covered.top, 0);
    EXPECT_EQ(covered.right, client.right);
    EXPECT_EQ(covered.bottom, client.bottom);

    // The core was handed the child window, and found the record in order.
    ASSERT_FALSE(run.log().empty());
    EXPECT_EQ(run.log().front(), record::createOk(game));

    EXPECT_TRUE(endsWithZeroAfter(run, main, QuitMessage));
}

}  // namespace
