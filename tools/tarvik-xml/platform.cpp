#include "platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <cstdio>

#include "host/code_page_string.h"
#endif

namespace tarvik::tool {

#ifdef _WIN32

namespace {

// CommandLineToArgvW puts the program's own name first.
constexpr int FirstArgument = 1;

std::string toGb2312(const wchar_t* argument) {
    CodePageString text(argument);
    text.toNarrow();
    return text.narrow;
}

}  // namespace

std::vector<std::string> programArguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return {};
    std::vector<std::string> arguments;
    for (int i = FirstArgument; i < count; ++i)
        arguments.push_back(toGb2312(wide[i]));
    LocalFree(wide);
    return arguments;
}

void useBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

#else

std::vector<std::string> programArguments(int argc, char** argv) {
    if (argc < 1)
        return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

void useBinaryStandardStreams() {}

#endif

}  // namespace tarvik::tool
