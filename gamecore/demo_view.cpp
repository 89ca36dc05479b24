#include "gamecore/demo_view.h"

#include <algorithm>
#include <cwchar>
#include <initializer_list>
#include <iterator>

#include "gamecore/message_names.h"

namespace {

// Palette: a night sky behind, ice and gold in front, like the launcher's icon.
constexpr COLORREF SkyTop = RGB(0x22, 0x1a, 0x5c);
constexpr COLORREF SkyBottom = RGB(0x06, 0x0b, 0x1f);
constexpr COLORREF CardFill = RGB(0x12, 0x17, 0x36);
constexpr COLORREF CardBorder = RGB(0x34, 0x3f, 0x7c);
constexpr COLORREF Gold = RGB(0xf4, 0xc1, 0x4f);
constexpr COLORREF Ice = RGB(0x9d, 0xe6, 0xff);
constexpr COLORREF TextColour = RGB(0xe6, 0xea, 0xff);
constexpr COLORREF Muted = RGB(0x8a, 0x94, 0xc8);
constexpr COLORREF Faint = RGB(0x55, 0x5e, 0x94);
constexpr COLORREF RunningColour = RGB(0x4c, 0xd9, 0x8a);
constexpr COLORREF ClosingColour = RGB(0xff, 0xa9, 0x4d);

// Layout, in pixels of the game window.
constexpr int Margin = 32;              // around everything
constexpr int Gap = 20;                 // between cards
constexpr int CardPadding = 18;         // inside a card
constexpr int CardRadius = 16;          // card corners
constexpr int HeaderHeight = 92;        // title, subtitle and status
constexpr int FooterHeight = 40;        // hint or closing progress
constexpr int PillHeight = 34;          // the status pill
constexpr int PillPadding = 18;         // text inset inside the pill
constexpr int LabelWidth = 150;         // the label column of the session card
constexpr int ProgressHeight = 6;       // the closing progress bar
constexpr int TimeColumn = 96;          // seconds column of the message list
constexpr int NameColumn = 190;         // name column of the message list
constexpr int RepeatColumn = 70;        // repeat count at the right of a message row
constexpr int LeftColumnPercent = 46;   // share of the width for the left cards
constexpr int SessionCardHeight = 172;  // heading and four rows
constexpr int EmblemGap = 18;           // between the icon and the title

// Font sizes, in pixels.
constexpr int TitleSize = 46;
constexpr int HeadingSize = 17;
constexpr int BodySize = 16;
constexpr int MonoSize = 15;

// The sky: a vertical gradient drawn in bands, with a fixed scatter of stars.
constexpr int SkyBands = 96;
constexpr int StarCount = 110;
constexpr unsigned StarSeed = 0x2545F491u;  // any odd number: the pattern never changes

// At most this many entries are kept for the live list; more never fit.
constexpr size_t MaxShownMessages = 48;

// Milliseconds per second, for the time column.
constexpr double MsPerSecond = 1000.0;

COLORREF blend(COLORREF from, COLORREF to, int step, int steps) {
    const auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
    return RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
               mix(GetBValue(from), GetBValue(to)));
}

void fillRect(HDC dc, const RECT& rect, COLORREF colour) {
    const HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void roundRect(HDC dc, const RECT& rect, COLORREF fill, COLORREF border, int radius) {
    const HBRUSH brush = CreateSolidBrush(fill);
    const HPEN pen = CreatePen(PS_SOLID, 1, border);
    const HGDIOBJ oldBrush = SelectObject(dc, brush);
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius, radius);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

// Draws one piece of text into `rect` and returns the height it took.
int drawText(HDC dc, HFONT font, COLORREF colour, RECT rect, const std::wstring& text, UINT flags) {
    const HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    const int height =
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_NOPREFIX);
    SelectObject(dc, old);
    return height;
}

int lineHeight(HDC dc, HFONT font) {
    const HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    return metrics.tmHeight + metrics.tmExternalLeading + 4;
}

int textWidth(HDC dc, HFONT font, const std::wstring& text) {
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

void paintSky(HDC dc, const RECT& area) {
    const int height = area.bottom - area.top;
    for (int band = 0; band < SkyBands; ++band) {
        const RECT slice = {area.left, area.top + height * band / SkyBands, area.right,
                            area.top + height * (band + 1) / SkyBands};
        fillRect(dc, slice, blend(SkyTop, SkyBottom, band, SkyBands - 1));
    }
    unsigned random = StarSeed;
    const auto next = [&random] {
        random = random * 1664525u + 1013904223u;  // a plain LCG is plenty for stars
        return random >> 8;
    };
    const int width = area.right - area.left;
    for (int star = 0; star < StarCount && width > 0 && height > 0; ++star) {
        const int x = area.left + static_cast<int>(next() % static_cast<unsigned>(width));
        const int y = area.top + static_cast<int>(next() % static_cast<unsigned>(height));
        const int brightness = 90 + static_cast<int>(next() % 140);
        const COLORREF colour = RGB(brightness, brightness, std::min(255, brightness + 30));
        SetPixel(dc, x, y, colour);
        if (next() % 5 == 0) {  // a few brighter ones, two pixels wide
            SetPixel(dc, x + 1, y, colour);
            SetPixel(dc, x, y + 1, colour);
            SetPixel(dc, x + 1, y + 1, colour);
        }
    }
}

// A card with a heading; returns the rectangle left for its content.
RECT paintCard(HDC dc, const RECT& rect, const std::wstring& heading, const DemoFonts& fonts) {
    roundRect(dc, rect, CardFill, CardBorder, CardRadius);
    RECT inner = {rect.left + CardPadding, rect.top + CardPadding / 2 + 4, rect.right - CardPadding,
                  rect.bottom - CardPadding};
    inner.top += drawText(dc, fonts.heading, Gold, inner, heading,
                          DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    inner.top += CardPadding / 2;
    return inner;
}

std::wstring statusText(const DemoState& state) {
    switch (state.phase) {
        case DemoPhase::Configuring:
            return L"\u25CF  STARTING";
        case DemoPhase::Running:
            return L"\u25CF  RUNNING";
        case DemoPhase::Closing:
            return L"\u25CF  CLOSING";
    }
    return std::wstring();
}

COLORREF statusColour(DemoPhase phase) {
    if (phase == DemoPhase::Running)
        return RunningColour;
    return phase == DemoPhase::Closing ? ClosingColour : Muted;
}

std::wstring formatUptime(ULONGLONG milliseconds) {
    const unsigned long long seconds = milliseconds / 1000;
    wchar_t text[32] = {};
    std::swprintf(text, std::size(text), L"up %02llu:%02llu", seconds / 60, seconds % 60);
    return text;
}

void paintHeader(HDC dc, const RECT& rect, const DemoState& state, const DemoFonts& fonts,
                 ULONGLONG now) {
    RECT title = rect;
    if (state.emblem) {
        DrawIconEx(dc, rect.left, rect.top + 4, state.emblem, EmblemSize, EmblemSize, 0, nullptr,
                   DI_NORMAL);
        title.left += EmblemSize + EmblemGap;
    }
    title.top +=
        drawText(dc, fonts.title, TextColour, title, L"Kelvaran", DT_LEFT | DT_TOP | DT_SINGLELINE);
    drawText(dc, fonts.body, Muted, title,
             L"zindleQrvt demo game core \u2014 a stand-in for zindleCore.dll",
             DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);

    const std::wstring status = statusText(state);
    const int pillWidth = textWidth(dc, fonts.heading, status) + 2 * PillPadding;
    const RECT pill = {rect.right - pillWidth, rect.top + 8, rect.right, rect.top + 8 + PillHeight};
    roundRect(dc, pill, CardFill, statusColour(state.phase), PillHeight);
    drawText(dc, fonts.heading, statusColour(state.phase), pill, status,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const RECT uptime = {rect.left, pill.bottom + 8, rect.right, rect.bottom};
    drawText(dc, fonts.body, Muted, uptime, formatUptime(now - state.createdAt),
             DT_RIGHT | DT_TOP | DT_SINGLELINE);
}

// One label and value row; the value may wrap. Returns the row's height.
int paintRow(HDC dc, const RECT& content, int top, const std::wstring& label,
             const std::wstring& value, COLORREF valueColour, const DemoFonts& fonts) {
    const RECT labelRect = {content.left, top, content.left + LabelWidth, content.bottom};
    drawText(dc, fonts.body, Muted, labelRect, label, DT_LEFT | DT_TOP | DT_SINGLELINE);
    const RECT valueRect = {content.left + LabelWidth, top, content.right, content.bottom};
    const int height = drawText(dc, fonts.body, valueColour, valueRect, value,
                                DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL);
    return std::max(height, lineHeight(dc, fonts.body)) + 6;
}

void paintSession(HDC dc, const RECT& rect, const DemoState& state, const RECT& window,
                  const DemoFonts& fonts) {
    const RECT content = paintCard(dc, rect, L"Session", fonts);
    wchar_t size[48] = {};
    std::swprintf(size, std::size(size), L"%ld \u00D7 %ld pixels", window.right - window.left,
                  window.bottom - window.top);
    int top = content.top;
    top +=
        paintRow(dc, content, top, L"URL", state.url.empty() ? L"(none)" : state.url, Ice, fonts);
    top += paintRow(dc, content, top, L"Connection state",
                    state.connstate.empty() ? L"(none)" : state.connstate, Ice, fonts);
    top += paintRow(dc, content, top, L"Game window", size, TextColour, fonts);
    paintRow(dc, content, top, L"Host record",
             state.hostRecordValid ? L"window set, no game, callback 0" : L"not as expected",
             state.hostRecordValid ? RunningColour : ClosingColour, fonts);
}

void paintConfiguration(HDC dc, const RECT& rect, const DemoState& state, const DemoFonts& fonts) {
    const RECT content = paintCard(dc, rect, L"Configuration calls, in order", fonts);
    const int line = lineHeight(dc, fonts.mono);
    int top = content.top;
    for (const std::wstring& call : state.configurationCalls) {
        if (top + line > content.bottom)
            break;
        const RECT row = {content.left, top, content.right, top + line};
        drawText(dc, fonts.mono, TextColour, row, call,
                 DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
        top += line;
    }
}

void paintMessageRow(HDC dc, const RECT& row, const ShownMessage& shown, ULONGLONG createdAt,
                     COLORREF colour, const DemoFonts& fonts) {
    wchar_t seconds[32] = {};
    std::swprintf(seconds, std::size(seconds), L"%.2f s",
                  static_cast<double>(shown.at - createdAt) / MsPerSecond);
    const UINT flags = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS;
    RECT cell = {row.left, row.top, row.left + TimeColumn - Gap, row.bottom};
    drawText(dc, fonts.mono, Faint, cell, seconds, DT_RIGHT | DT_TOP | DT_SINGLELINE);
    cell = {row.left + TimeColumn, row.top, row.left + TimeColumn + NameColumn, row.bottom};
    drawText(dc, fonts.mono, colour == TextColour ? Ice : colour, cell, shown.name, flags);
    std::wstring detail = shown.detail;
    if (shown.cursorFollowed)
        detail += L"  + cursor";
    cell = {cell.right, row.top, row.right - RepeatColumn, row.bottom};
    drawText(dc, fonts.mono, colour, cell, detail, flags);
    if (shown.repeats > 1) {
        wchar_t repeats[24] = {};
        std::swprintf(repeats, std::size(repeats), L"\u00D7%u", shown.repeats);
        cell = {row.right - RepeatColumn, row.top, row.right, row.bottom};
        drawText(dc, fonts.mono, Gold, cell, repeats, DT_RIGHT | DT_TOP | DT_SINGLELINE);
    }
}

void paintMessages(HDC dc, const RECT& rect, const DemoState& state, const DemoFonts& fonts) {
    wchar_t heading[64] = {};
    std::swprintf(heading, std::size(heading), L"Forwarded messages \u2014 %llu so far",
                  static_cast<unsigned long long>(state.forwardedCount));
    const RECT content = paintCard(dc, rect, heading, fonts);
    const int line = lineHeight(dc, fonts.mono);
    int top = content.top;
    int index = 0;
    for (const ShownMessage& shown : state.messages) {
        if (top + line > content.bottom)
            break;
        // The newest rows are bright; older ones fade towards the card.
        const COLORREF colour = index < 3 ? TextColour : blend(TextColour, Faint, 1, 2);
        paintMessageRow(dc, RECT{content.left, top, content.right, top + line}, shown,
                        state.createdAt, colour, fonts);
        top += line;
        ++index;
    }
    if (state.messages.empty())
        drawText(dc, fonts.body, Muted, content, L"Move the mouse or press a key.",
                 DT_LEFT | DT_TOP | DT_SINGLELINE);
}

void paintFooter(HDC dc, const RECT& rect, const DemoState& state, const DemoFonts& fonts,
                 ULONGLONG now) {
    if (state.phase != DemoPhase::Closing) {
        drawText(dc, fonts.body, Muted, rect,
                 L"Close the window to see the close protocol: this core answers WM_CLOSE "
                 L"with message 0x501 a moment later, and the launcher ends.",
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
        return;
    }
    const ULONGLONG elapsed = std::min(now - state.closingAt, state.closeAnswerDelayMs);
    drawText(
        dc, fonts.body, ClosingColour, rect,
        L"Closing: saving nothing, saying goodbye, then posting 0x501 to the game window\u2026",
        DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    const RECT track = {rect.left, rect.bottom - ProgressHeight, rect.right, rect.bottom};
    roundRect(dc, track, CardFill, CardBorder, ProgressHeight);
    const LONG width = track.right - track.left;
    const LONG done = state.closeAnswerDelayMs == 0
                          ? width
                          : static_cast<LONG>(width * elapsed / state.closeAnswerDelayMs);
    roundRect(dc, RECT{track.left, track.top, track.left + done, track.bottom}, ClosingColour,
              ClosingColour, ProgressHeight);
}

HFONT createFont(std::initializer_list<const wchar_t*> faces, int size, int weight) {
    // Take the first face the system really has; the font mapper would
    // otherwise substitute something arbitrary for a missing one.
    HFONT chosen = nullptr;
    const HDC screen = GetDC(nullptr);
    for (const wchar_t* face : faces) {
        const HFONT font =
            CreateFontW(-size, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
        wchar_t actual[LF_FACESIZE] = {};
        const HGDIOBJ old = SelectObject(screen, font);
        GetTextFaceW(screen, LF_FACESIZE, actual);
        SelectObject(screen, old);
        if (chosen)
            DeleteObject(chosen);
        chosen = font;
        if (_wcsicmp(actual, face) == 0)
            break;
    }
    ReleaseDC(nullptr, screen);
    return chosen;
}

}  // namespace

void recordMessage(DemoState& state, uint32_t message, WPARAM wParam, LPARAM lParam,
                   ULONGLONG now) {
    ++state.forwardedCount;
    if (message == WM_SETCURSOR && !state.messages.empty() &&
        state.messages.front().message == WM_MOUSEMOVE) {
        state.messages.front().cursorFollowed = true;  // the host's follow-up to a move
        return;
    }
    if (!state.messages.empty() && state.messages.front().message == message) {
        ShownMessage& latest = state.messages.front();
        latest.detail = messageDetail(message, wParam, lParam);
        latest.at = now;
        ++latest.repeats;
        return;
    }
    ShownMessage shown;
    shown.message = message;
    shown.name = messageName(message);
    shown.detail = messageDetail(message, wParam, lParam);
    shown.at = now;
    state.messages.push_front(shown);
    if (state.messages.size() > MaxShownMessages)
        state.messages.pop_back();
}

DemoFonts::DemoFonts()
    : title(createFont({L"Segoe UI", L"Liberation Sans", L"DejaVu Sans", L"Tahoma"}, TitleSize,
                       FW_BOLD)),
      heading(createFont({L"Segoe UI", L"Liberation Sans", L"DejaVu Sans", L"Tahoma"}, HeadingSize,
                         FW_SEMIBOLD)),
      body(createFont({L"Segoe UI", L"Liberation Sans", L"DejaVu Sans", L"Tahoma"}, BodySize,
                      FW_NORMAL)),
      mono(createFont({L"Consolas", L"DejaVu Sans Mono", L"Liberation Mono", L"Courier New"},
                      MonoSize, FW_NORMAL)) {}

DemoFonts::~DemoFonts() {
    for (HFONT font : {title, heading, body, mono})
        DeleteObject(font);
}

void paintDemo(HDC dc, const RECT& area, const DemoState& state, const DemoFonts& fonts,
               ULONGLONG now) {
    SetBkMode(dc, TRANSPARENT);
    paintSky(dc, area);

    const RECT inner = {area.left + Margin, area.top + Margin, area.right - Margin,
                        area.bottom - Margin};
    paintHeader(dc, RECT{inner.left, inner.top, inner.right, inner.top + HeaderHeight}, state,
                fonts, now);

    const int cardsTop = inner.top + HeaderHeight + Gap;
    const int cardsBottom = inner.bottom - FooterHeight - Gap;
    const int split = inner.left + (inner.right - inner.left) * LeftColumnPercent / 100;
    const int sessionBottom = cardsTop + SessionCardHeight;
    paintSession(dc, RECT{inner.left, cardsTop, split - Gap / 2, sessionBottom}, state, area,
                 fonts);
    paintConfiguration(dc, RECT{inner.left, sessionBottom + Gap, split - Gap / 2, cardsBottom},
                       state, fonts);
    paintMessages(dc, RECT{split + Gap / 2, cardsTop, inner.right, cardsBottom}, state, fonts);
    paintFooter(dc, RECT{inner.left, inner.bottom - FooterHeight, inner.right, inner.bottom}, state,
                fonts, now);
}
