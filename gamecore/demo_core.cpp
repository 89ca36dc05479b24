// The demo game core: a stand-in for the closed zindleCore.dll that makes the
// launcher worth running. It draws the game window: the URL and connection
// state it was given, the configuration calls in the order they came, and a
// live list of the window messages the launcher forwards. It follows the
// window's size and honours the close protocol: a forwarded WM_CLOSE turns
// the view to "closing", and QuitMessage goes to the game window a moment
// later, which ends the launcher's run.
//
// How it draws: the launcher's own WM_PAINT draws nothing, because a real
// game core owns the game window's pixels. This core subclasses the game
// window when the window is attached (slot 4) and answers WM_PAINT itself,
// double-buffered, passing every other message on to the launcher's window
// procedure. A repaint follows each forwarded message, and a slow timer keeps
// the uptime and the closing progress moving. Painting on a timer through
// GetDC instead would flicker against the launcher's background erase and
// lag behind resizes; the subclass paints exactly when the system asks.
#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <iterator>
#include <new>

#include "gamecore/demo_view.h"
#include "host/game_core.h"
#include "host/window_messages.h"

namespace {

// Window property that leads the subclass procedure back to its core.
constexpr wchar_t CoreProperty[] = L"zindleQrvt.demoCore";

// Repaints for the uptime clock and the closing progress bar: four a second
// is smooth enough and costs nothing.
constexpr UINT_PTR RefreshTimer = 1;
constexpr UINT RefreshIntervalMs = 250;

// How long the core "needs" before it confirms a close: long enough to see
// the closing state, well inside the launcher's grace period.
constexpr UINT_PTR CloseAnswerTimer = 2;
constexpr UINT CloseAnswerDelayMs = 1500;

// Room for one line of the configuration list.
constexpr size_t CallTextCapacity = 160;

LRESULT CALLBACK gameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class DemoCore final : public GameCore {
public:
    explicit DemoCore(GameHost* host) : host_(host) {
        state_.createdAt = GetTickCount64();
        // The host record must be in place before the object exists: the
        // window set, no game object yet, and a callback answering 0.
        state_.hostRecordValid = host && host->game == nullptr && IsWindow(host->gameWindow) &&
                                 host->callback(0, 0) == 0;
    }

    ~DemoCore() {
        if (state_.emblem)
            DestroyIcon(state_.emblem);
    }

    void ZINDLE_THISCALL destroy(int32_t) override {
        // The host always asks for DestroyAndFree, and shutdown() has run.
        unsubclass();
        delete this;
    }
    void ZINDLE_THISCALL initialize() override { addCall(L"slot 1   initialize()"); }
    void ZINDLE_THISCALL shutdown() override { unsubclass(); }
    void ZINDLE_THISCALL applySettings() override { addCall(L"slot 3   applySettings()"); }

    void ZINDLE_THISCALL attachComponent(int32_t kind, int32_t enabled, GameWindowHandle window,
                                         int32_t reserved1, int32_t reserved2) override {
        addCall(L"slot 4   attachComponent(%d, %d, %ls, %d, %d)", kind, enabled,
                window ? L"game window" : L"null", reserved1, reserved2);
        if (kind == AttachWindowKind && window)
            subclass(window);
    }

    void ZINDLE_THISCALL handleMessage(uint32_t message, MessageWParam wParam,
                                       MessageLParam lParam) override {
        const ULONGLONG now = GetTickCount64();
        recordMessage(state_, message, wParam, lParam, now);
        if (message == CoreNotifyMessage && state_.phase == DemoPhase::Configuring) {
            addCall(L"slot 5   handleMessage(0x500, 0, 0)   start notice");
            state_.phase = DemoPhase::Running;
        } else if (message == WM_CLOSE && state_.phase != DemoPhase::Closing) {
            beginClosing(now);
        }
        invalidate();
    }

    void ZINDLE_THISCALL unusedSlot6() override {}
    void ZINDLE_THISCALL unusedSlot7() override {}
    void ZINDLE_THISCALL unusedSlot8() override {}
    void ZINDLE_THISCALL setUrl(const wchar_t* url) override {
        state_.url = url ? url : L"";
        addCall(L"slot 9   setUrl(\"%ls\")", state_.url.c_str());
    }
    void ZINDLE_THISCALL unusedSlot10() override {}
    void ZINDLE_THISCALL setConnectionState(const wchar_t* connstate) override {
        state_.connstate = connstate ? connstate : L"";
        addCall(L"slot 11  setConnectionState(\"%ls\")", state_.connstate.c_str());
    }
    void ZINDLE_THISCALL setFixedOption12(int32_t value) override {
        addCall(L"slot 12  setFixedOption12(%d)", value);
    }
    void ZINDLE_THISCALL setFixedOption13(int32_t value) override {
        addCall(L"slot 13  setFixedOption13(%d)", value);
    }
    void ZINDLE_THISCALL setFixedOption14(int32_t value) override {
        addCall(L"slot 14  setFixedOption14(%d)", value);
    }
    void ZINDLE_THISCALL setFixedOption15(int32_t value) override {
        addCall(L"slot 15  setFixedOption15(%d)", value);
    }

    // The subclassed game window's messages, before the launcher sees them.
    LRESULT windowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_ERASEBKGND:
                return 1;  // paint() covers every pixel; erasing first would flicker

            case WM_PAINT:
                paint();
                return 0;

            case WM_TIMER:
                if (onTimer(wParam))
                    return 0;
                break;

            default:
                break;
        }
        return CallWindowProcW(hostProcedure_, window, message, wParam, lParam);
    }

private:
    void addCall(const wchar_t* format, ...) {
        wchar_t text[CallTextCapacity] = {};
        va_list arguments;
        va_start(arguments, format);
        std::vswprintf(text, CallTextCapacity, format, arguments);
        va_end(arguments);
        state_.configurationCalls.push_back(text);
        invalidate();
    }

    void beginClosing(ULONGLONG now) {
        state_.phase = DemoPhase::Closing;
        state_.closingAt = now;
        state_.closeAnswerDelayMs = CloseAnswerDelayMs;
        if (window_)
            SetTimer(window_, CloseAnswerTimer, CloseAnswerDelayMs, nullptr);
    }

    // Returns whether the timer was one of the core's own.
    bool onTimer(WPARAM timer) {
        if (timer == RefreshTimer) {
            invalidate();
            return true;
        }
        if (timer == CloseAnswerTimer) {
            KillTimer(window_, CloseAnswerTimer);
            PostMessageW(host_->gameWindow, QuitMessage, 0, 0);  // confirms the close
            return true;
        }
        return false;
    }

    void subclass(HWND window) {
        if (window_)
            return;
        window_ = window;
        SetPropW(window_, CoreProperty, this);
        hostProcedure_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gameWindowProcedure)));
        SetTimer(window_, RefreshTimer, RefreshIntervalMs, nullptr);
        loadEmblem();
        invalidate();
    }

    // The launcher's large class icon, reloaded from its resource at the size
    // the view draws, so it is drawn from the best image rather than stretched.
    void loadEmblem() {
        const HICON classIcon = reinterpret_cast<HICON>(GetClassLongPtrW(window_, GCLP_HICON));
        if (classIcon)
            state_.emblem = static_cast<HICON>(
                CopyImage(classIcon, IMAGE_ICON, EmblemSize, EmblemSize, LR_COPYFROMRESOURCE));
    }

    void unsubclass() {
        if (!window_)
            return;
        if (IsWindow(window_)) {
            KillTimer(window_, RefreshTimer);
            KillTimer(window_, CloseAnswerTimer);
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostProcedure_));
            RemovePropW(window_, CoreProperty);
        }
        window_ = nullptr;
    }

    void invalidate() {
        if (window_)
            InvalidateRect(window_, nullptr, FALSE);
    }

    // Draws into an off-screen bitmap, then copies it in one go.
    void paint() {
        PAINTSTRUCT paintInfo = {};
        const HDC dc = BeginPaint(window_, &paintInfo);
        RECT area = {};
        GetClientRect(window_, &area);
        const HDC memory = CreateCompatibleDC(dc);
        const HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
        const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        paintDemo(memory, area, state_, fonts_, GetTickCount64());
        BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window_, &paintInfo);
    }

    GameHost* host_;
    HWND window_ = nullptr;
    WNDPROC hostProcedure_ = nullptr;
    DemoState state_;
    DemoFonts fonts_;
};

LRESULT CALLBACK gameWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (DemoCore* core = static_cast<DemoCore*>(GetPropW(window, CoreProperty)))
        return core->windowMessage(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

extern "C" ZINDLE_CORE_API GameCore* ZINDLE_CDECL CreateZindle(GameHost* host) {
    if (!host)
        return nullptr;  // nowhere to post the close answer to
    return new (std::nothrow) DemoCore(host);
}
