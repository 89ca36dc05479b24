// What the demo game core shows in the game window, and how it draws it.
#ifndef ZINDLE_GAMECORE_DEMO_VIEW_H
#define ZINDLE_GAMECORE_DEMO_VIEW_H

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Size of the launcher's icon drawn beside the title, in pixels.
constexpr int EmblemSize = 72;

// One entry of the live message list. Repeats of the same message collapse
// into one entry with a count, so a mouse sweep does not flush the list.
struct ShownMessage {
    uint32_t message = 0;
    std::wstring name;
    std::wstring detail;
    ULONGLONG at = 0;             // GetTickCount64() of the latest repeat
    unsigned repeats = 1;         // how many in a row
    bool cursorFollowed = false;  // a WM_SETCURSOR came right after (mouse moves)
};

// Where the run stands, as the core sees it.
enum class DemoPhase {
    Configuring,  // created, not yet told that start-up is complete
    Running,      // the host's start notice (CoreNotifyMessage) arrived
    Closing,      // a close request arrived; the answer is on its way
};

// Everything the view shows.
struct DemoState {
    std::wstring url;
    std::wstring connstate;
    std::vector<std::wstring> configurationCalls;  // in the order they came
    std::deque<ShownMessage> messages;             // newest first
    uint64_t forwardedCount = 0;
    DemoPhase phase = DemoPhase::Configuring;
    bool hostRecordValid = false;
    HICON emblem = nullptr;  // the launcher's own icon, drawn beside the title
    ULONGLONG createdAt = 0;
    ULONGLONG closingAt = 0;
    ULONGLONG closeAnswerDelayMs = 0;
};

// Adds one forwarded message to the live list, collapsing repeats and
// keeping at most a screenful.
void recordMessage(DemoState& state, uint32_t message, WPARAM wParam, LPARAM lParam, ULONGLONG now);

// The fonts the view draws with; created once, freed with the object.
class DemoFonts {
public:
    DemoFonts();
    ~DemoFonts();
    DemoFonts(const DemoFonts&) = delete;
    DemoFonts& operator=(const DemoFonts&) = delete;

    HFONT title = nullptr;
    HFONT heading = nullptr;
    HFONT body = nullptr;
    HFONT mono = nullptr;
};

// Draws the whole view into `dc`, which covers `area`.
void paintDemo(HDC dc, const RECT& area, const DemoState& state, const DemoFonts& fonts,
               ULONGLONG now);

#endif  // ZINDLE_GAMECORE_DEMO_VIEW_H
