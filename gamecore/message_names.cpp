#include "gamecore/message_names.h"

#include <windowsx.h>

#include <cwchar>
#include <iterator>

#include "host/window_messages.h"

namespace {

struct NamedMessage {
    uint32_t message;
    const wchar_t* name;
};

constexpr NamedMessage KnownMessages[] = {
    {WM_DESTROY, L"WM_DESTROY"},
    {WM_SIZE, L"WM_SIZE"},
    {WM_CLOSE, L"WM_CLOSE"},
    {WM_SETCURSOR, L"WM_SETCURSOR"},
    {WM_KEYDOWN, L"WM_KEYDOWN"},
    {WM_KEYUP, L"WM_KEYUP"},
    {WM_CHAR, L"WM_CHAR"},
    {WM_DEADCHAR, L"WM_DEADCHAR"},
    {WM_SYSKEYDOWN, L"WM_SYSKEYDOWN"},
    {WM_SYSKEYUP, L"WM_SYSKEYUP"},
    {WM_SYSCHAR, L"WM_SYSCHAR"},
    {WM_SYSDEADCHAR, L"WM_SYSDEADCHAR"},
    {WM_UNICHAR, L"WM_UNICHAR"},
    {WM_MOUSEMOVE, L"WM_MOUSEMOVE"},
    {WM_LBUTTONDOWN, L"WM_LBUTTONDOWN"},
    {WM_LBUTTONUP, L"WM_LBUTTONUP"},
    {WM_LBUTTONDBLCLK, L"WM_LBUTTONDBLCLK"},
    {WM_RBUTTONDOWN, L"WM_RBUTTONDOWN"},
    {WM_RBUTTONUP, L"WM_RBUTTONUP"},
    {WM_RBUTTONDBLCLK, L"WM_RBUTTONDBLCLK"},
    {WM_MBUTTONDOWN, L"WM_MBUTTONDOWN"},
    {WM_MBUTTONUP, L"WM_MBUTTONUP"},
    {WM_MBUTTONDBLCLK, L"WM_MBUTTONDBLCLK"},
    {WM_XBUTTONDOWN, L"WM_XBUTTONDOWN"},
    {WM_XBUTTONUP, L"WM_XBUTTONUP"},
    {WM_XBUTTONDBLCLK, L"WM_XBUTTONDBLCLK"},
    {CoreNotifyMessage, L"host notice 0x500"},
};

// Room for any detail line: two 64-bit numbers in decimal and some words.
constexpr size_t DetailCapacity = 96;

bool isMouseMessage(uint32_t message) {
    return message >= WM_MOUSEFIRST && message <= WM_XBUTTONDBLCLK;
}

bool isCharacterMessage(uint32_t message) {
    return message == WM_CHAR || message == WM_SYSCHAR || message == WM_DEADCHAR ||
           message == WM_SYSDEADCHAR;
}

bool isKeyMessage(uint32_t message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

// A key's name as the keyboard layout spells it ("A", "F11", "Space").
std::wstring keyName(WPARAM key, LPARAM lParam) {
    wchar_t name[32] = {};
    if (GetKeyNameTextW(static_cast<LONG>(lParam), name, static_cast<int>(std::size(name))) > 0)
        return name;
    std::swprintf(name, std::size(name), L"VK 0x%02X", static_cast<unsigned>(key));
    return name;
}

}  // namespace

std::wstring messageName(uint32_t message) {
    for (const NamedMessage& known : KnownMessages) {
        if (known.message == message)
            return known.name;
    }
    wchar_t name[32] = {};
    if (message >= WM_USER)
        std::swprintf(name, std::size(name), L"WM_USER+0x%X", message - WM_USER);
    else
        std::swprintf(name, std::size(name), L"message 0x%04X", message);
    return name;
}

std::wstring messageDetail(uint32_t message, WPARAM wParam, LPARAM lParam) {
    wchar_t detail[DetailCapacity] = {};
    if (isMouseMessage(message)) {
        std::swprintf(detail, DetailCapacity, L"at %d, %d", GET_X_LPARAM(lParam),
                      GET_Y_LPARAM(lParam));
    } else if (isKeyMessage(message)) {
        return L"key " + keyName(wParam, lParam);
    } else if (isCharacterMessage(message)) {
        const wchar_t character = static_cast<wchar_t>(wParam);
        if (character >= L' ')
            std::swprintf(detail, DetailCapacity, L"'%lc'", static_cast<wint_t>(character));
        else
            std::swprintf(detail, DetailCapacity, L"control 0x%02X", character);
    } else if (message == WM_SETCURSOR && lParam != 0) {
        std::swprintf(detail, DetailCapacity, L"hit test %d, mouse 0x%04X",
                      static_cast<short>(LOWORD(lParam)), HIWORD(lParam));
    } else if (message == WM_SIZE) {
        std::swprintf(detail, DetailCapacity, L"%d \u00D7 %d", LOWORD(lParam), HIWORD(lParam));
    } else {
        std::swprintf(detail, DetailCapacity, L"wParam %llu, lParam %lld",
                      static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    }
    return detail;
}
