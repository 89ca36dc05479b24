#include "window_search.h"

namespace {

// Room for a window text or class name in these tests.
constexpr int TextCapacity = 512;

// How often waitForTopLevel looks again.
constexpr DWORD PollIntervalMs = 25;

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId)
        search.found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD processId) {
    Search search{processId, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND findTopLevel(DWORD processId, const wchar_t* className_, const wchar_t* caption) {
    for (HWND window : topLevelWindows(processId)) {
        if (className(window) == className_ && (!caption || windowText(window) == caption))
            return window;
    }
    return nullptr;
}

HWND waitForTopLevel(DWORD processId, const wchar_t* className_, const wchar_t* caption,
                     DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = findTopLevel(processId, className_, caption))
            return window;
        if (GetTickCount64() >= deadline)
            return nullptr;
        Sleep(PollIntervalMs);
    }
}

bool waitUntilDialogReady(HWND dialog, size_t controls, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!IsWindowVisible(dialog) || childWindows(dialog).size() < controls) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(PollIntervalMs);
    }
    return true;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::wstring windowText(HWND window) {
    wchar_t text[TextCapacity] = {};
    GetWindowTextW(window, text, TextCapacity);
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[TextCapacity] = {};
    GetClassNameW(window, name, TextCapacity);
    return name;
}

RECT rectIn(HWND window, HWND reference) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
