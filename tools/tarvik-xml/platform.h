// What differs between Windows and other systems at the tool's edges: where
// its arguments come from, and how its standard streams treat bytes.
#ifndef TARVIK_TOOL_PLATFORM_H
#define TARVIK_TOOL_PLATFORM_H

#include <optional>
#include <string>
#include <vector>

namespace tarvik::tool {

// True where programArguments hands out GB2312 text (Windows, whose command
// line is wide text); elsewhere arguments are the bytes the shell passed.
#ifdef _WIN32
inline constexpr bool ArgumentsAreGb2312 = true;
#else
inline constexpr bool ArgumentsAreGb2312 = false;
#endif

// The program's arguments after its own name. On Windows they are read from
// the wide command line and converted to GB2312 (a character GB2312 lacks
// becomes "?"); elsewhere they are argv[1..] as given.
std::vector<std::string> programArguments(int argc, char** argv);

// True when the user's terminal takes UTF-8, so that messages for people
// (standard error) are converted from GB2312. Elsewhere than Windows: the
// character set of the user's locale (LC_ALL, LC_CTYPE, LANG) is UTF-8;
// false for GB2312, GBK and any other set, and when the locale cannot be set.
// On Windows: the console's output code page is UTF-8 (65001); a Chinese
// console's 936 and no console at all give false. Sets the C library's
// locale from the environment to ask, then back to "C".
bool terminalTakesUtf8();

// The command-line word, as UTF-8, that `argument` (one of programArguments)
// came from, when that word held a character GB2312 lacks, so that its "?"
// were not typed as such. Only Windows converts arguments; elsewhere, and
// for a word that converted whole, nothing.
std::optional<std::string> lostArgumentAsUtf8(const std::string& argument);
// Puts standard input, output and error into binary mode on Windows, so that
// bytes pass unchanged (no CR before LF); elsewhere they already are.
void useBinaryStandardStreams();

// Why the process's standard input cannot be read, as an errno value, before
// anything is read from it: EBADF when it is closed, EISDIR when it is a
// directory; 0 when it looks readable. Ask before opening any file, which
// would otherwise take a closed standard input's descriptor.
int standardInputProblem();
// True once a read of standard input has failed, rather than met its end.
// std::cin reads through the C library's stdin, which keeps the error.
bool standardInputFailed();

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_PLATFORM_H
