// Finding and reading the windows of another process, for the end-to-end
// tests.
#ifndef ZINDLE_TESTS_E2E_WINDOW_SEARCH_H
#define ZINDLE_TESTS_E2E_WINDOW_SEARCH_H

#include <windows.h>

#include <string>
#include <vector>

// The launcher's window class and the caption of both its windows.
inline constexpr wchar_t LauncherClass[] = L"ZINDLEQRVT";
inline constexpr wchar_t LauncherCaption[] = L"Kelvaran";

// The class of dialog boxes, message boxes included.
inline constexpr wchar_t DialogClass[] = L"#32770";

// The visible and hidden top-level windows that belong to a process.
std::vector<HWND> topLevelWindows(DWORD processId);

// The first top-level window of a process with that class (and caption, unless null).
HWND findTopLevel(DWORD processId, const wchar_t* className, const wchar_t* caption = nullptr);

// Like findTopLevel, polling until it appears; null after the timeout.
HWND waitForTopLevel(DWORD processId, const wchar_t* className, const wchar_t* caption,
                     DWORD timeoutMs);

// Waits until a dialog box is shown with at least `controls` controls (a box
// exists a moment before its texts and buttons are in place); false on timeout.
bool waitUntilDialogReady(HWND dialog, size_t controls, DWORD timeoutMs);

// The direct children of a window, in Z order.
std::vector<HWND> childWindows(HWND parent);

// A window's text (for another process's window, the text the system keeps)
// and its class name.
std::wstring windowText(HWND window);
std::wstring className(HWND window);

// A window's rectangle in the client coordinates of another window.
RECT rectIn(HWND window, HWND reference);

#endif  // ZINDLE_TESTS_E2E_WINDOW_SEARCH_H
