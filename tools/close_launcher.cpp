// closeLauncher: finds the running launcher's top-level window and, on
// request, asks it to close the way the system does, with WM_CLOSE. Used by
// tools/demo.sh to wait for the window and to end the demo through the close
// protocol.
//
//     closeLauncher.exe wait 30000   exit 0 once the window exists (within 30 s)
//     closeLauncher.exe close        post WM_CLOSE; exit 0 if the window was found
#include <windows.h>

#include <cwchar>
#include <cwctype>

#include "host/main_window.h"

namespace {

// The launcher's window class, as its string table (IDS_WINDOW_CLASS) names it.
constexpr wchar_t LauncherClass[] = L"ZINDLEQRVT";

// How often `wait` looks for the window.
constexpr DWORD PollIntervalMs = 100;

// Exit codes.
constexpr int Found = 0;
constexpr int NotFound = 1;
constexpr int Usage = 2;

HWND findLauncher() {
    return FindWindowW(LauncherClass, WindowCaption);
}

int waitForLauncher(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!findLauncher()) {
        if (GetTickCount64() >= deadline)
            return NotFound;
        Sleep(PollIntervalMs);
    }
    return Found;
}

int closeLauncher() {
    const HWND window = findLauncher();
    if (!window)
        return NotFound;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return Found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"wait") == 0 && std::iswdigit(argv[2][0]))
        return waitForLauncher(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    if (argc == 2 && std::wcscmp(argv[1], L"close") == 0)
        return closeLauncher();
    std::fwprintf(stderr, L"usage: closeLauncher wait <milliseconds> | closeLauncher close\n");
    return Usage;
}
