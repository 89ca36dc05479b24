// zindleQrvt: the game launcher. It reads its settings from the command line,
// opens the game's window, hands the window to the game core zindleCore.dll
// and runs the message loop until the game is closed.
//
//     zindleQrvt.exe url='https://play.example/realm/1', connstate=2, waitClose=1

#include <windows.h>

#include "host/code_page_string.h"
#include "host/game_core_binding.h"
#include "host/host_state.h"
#include "host/launch_parameters.h"
#include "host/main_window.h"
#include "host/message_loop.h"
#include "resources/resource.h"

// The entry point. `commandLine` is the command line without the program
// name. Returns the exit code: 0 when start-up fails, otherwise the wParam of
// the last message the loop retrieved.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // The launch parameters and the two texts handed to the game core live
    // for the whole run: the core may keep the pointers.
    const LaunchParameters parameters = readLaunchParameters(commandLine);
    if (parameters.url.empty()) {
        reportStartupError(commandLine);
        return 0;
    }
    HostState& host = hostState();
    host.waitClose = parameters.waitClose;

    LoadStringW(instance, IDS_WINDOW_CLASS, host.className, ClassNameCapacity);
    registerWindowClass(instance);
    if (!createWindows(instance))
        return 0;

    const CodePageString url(parameters.url.c_str());
    const CodePageString connstate(parameters.connstate.c_str());
    startGameCore(host.gameWindow, url.wide.c_str(), connstate.wide.c_str());

    const WPARAM exitCode = runMessageLoop();

    stopGameCore();
    return static_cast<int>(exitCode);
}
