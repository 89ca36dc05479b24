#include "xml/debug_output.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace tarvik::xml {

void debugOutputBytes(const char* text) {
    if (!text)
        return;
#ifdef _WIN32
    OutputDebugStringA(text);
#else
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
#endif
}

}  // namespace tarvik::xml
