#include "platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

#include <cerrno>
#include <cstddef>

#include "host/code_page_string.h"
#else
#include <langinfo.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#endif

#include <cstdio>

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

// The console's output code page is UTF-8 (65001); a Chinese console's 936
// and no console at all give false.
bool terminalTakesUtf8() {
    return GetConsoleOutputCP() == CP_UTF8;
}

std::optional<std::string> lostArgumentAsUtf8(const std::string& argument) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::nullopt;
    std::optional<std::string> typed;
    for (int i = FirstArgument; i < count && !typed; ++i) {
        BOOL usedDefault = FALSE;
        WideCharToMultiByte(NarrowCodePage, 0, wide[i], -1, nullptr, 0, nullptr, &usedDefault);
        if (usedDefault && toGb2312(wide[i]) == argument)
            typed = wideToUtf8(wide[i]);
    }
    LocalFree(wide);
    return typed;
}

void useBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

int standardInputProblem() {
    // A process started without a standard input has no handle for it.
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return input == nullptr || input == INVALID_HANDLE_VALUE ? EBADF : 0;
}

#else

std::vector<std::string> programArguments(int argc, char** argv) {
    if (argc < 1)
        return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

namespace {

// How systems name UTF-8 as a locale's character set: glibc says "UTF-8",
// others "utf8".
constexpr char Utf8Codeset[] = "UTF-8";
constexpr char Utf8CodesetShort[] = "utf8";
// The locale every C program starts in.
constexpr char ClassicLocale[] = "C";

// True when the character set of the C library's current locale is UTF-8.
bool localeIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset &&
           (strcasecmp(codeset, Utf8Codeset) == 0 || strcasecmp(codeset, Utf8CodesetShort) == 0);
}

}  // namespace

// The character set of the user's locale (LC_ALL, LC_CTYPE, LANG) is UTF-8;
// false for GB2312, GBK and any other set, and when the locale cannot be set.
// Sets the C library's locale from the environment to ask, then back to "C".
bool terminalTakesUtf8() {
    // A locale whose other categories are not installed may still name its
    // character set, so LC_CTYPE alone is tried when the whole one fails.
    const bool known = std::setlocale(LC_ALL, "") || std::setlocale(LC_CTYPE, "");
    const bool utf8 = known && localeIsUtf8();
    // Only the character set was wanted: system messages and numbers stay
    // the C locale's, as the tests and scripts reading them expect.
    std::setlocale(LC_ALL, ClassicLocale);
    return utf8;
}

// Arguments are not converted here, so none has lost a character.
std::optional<std::string> lostArgumentAsUtf8(const std::string&) {
    return std::nullopt;
}

void useBinaryStandardStreams() {}

int standardInputProblem() {
    struct stat status {};
    if (::fstat(STDIN_FILENO, &status) != 0)
        return errno;
    return S_ISDIR(status.st_mode) ? EISDIR : 0;
}

#endif

bool standardInputFailed() {
    return std::ferror(stdin) != 0;
}

}  // namespace tarvik::tool
