#include "record_format.h"

#include <cstdio>
#include <vector>

namespace record {

std::string window(HWND handle) {
    if (!handle)
        return "0";
    char text[32] = {};
    std::snprintf(text, sizeof text, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    return text;
}

std::string text(const wchar_t* wide) {
    if (!wide)
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::vector<char> utf8(static_cast<size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
    std::string escaped;
    for (const char* c = utf8.data(); *c; ++c) {
        if (*c == '\\')
            escaped += "\\\\";
        else if (*c == '\n')
            escaped += "\\n";
        else if (*c == '\r')
            escaped += "\\r";
        else
            escaped += *c;
    }
    return escaped;
}

std::string call(GameCoreSlot slot, const std::string& arguments) {
    std::string line = std::to_string(static_cast<int>(slot));
    if (!arguments.empty())
        line += " " + arguments;
    return line;
}

std::string messageNumber(uint32_t number) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%04X", number);
    return text;
}

std::string messagePrefix(uint32_t number) {
    return call(GameCoreSlot::HandleMessage, messageNumber(number)) + " ";
}

std::string message(uint32_t number, uint64_t wParam, int64_t lParam) {
    return call(GameCoreSlot::HandleMessage, messageNumber(number) + " " + std::to_string(wParam) +
                                                 " " + std::to_string(lParam));
}

std::string createOk(HWND gameWindow) {
    return "create host=ok window=" + window(gameWindow);
}

}  // namespace record
