#include "host/launcher_diagnostics.h"

#include "host/code_page_string.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

void debugOutputWide(const wchar_t* text) {
    if (!text)
        text = L"";
#ifdef _WIN32
    OutputDebugStringW(text);
#else
    std::fprintf(stderr, "%s\n", wideToUtf8(text).c_str());
#endif
}

void showErrorBox(const char* gb2312Text) {
    const CodePageString message(gb2312Text);
#ifdef _WIN32
    MessageBoxW(nullptr, message.wide.c_str(), nullptr, MB_OK);
#else
    std::fprintf(stderr, "%s\n", wideToUtf8(message.wide).c_str());
#endif
}
