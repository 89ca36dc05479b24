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

// The program's arguments after its own name: on Windows the wide command
// line converted to GB2312 ("?" for what it lacks), elsewhere argv[1..].
std::vector<std::string> programArguments(int argc, char** argv);

// True when the user's terminal takes UTF-8, so that messages for people
// (standard error) are converted from GB2312; false when unknown.
bool terminalTakesUtf8();

// The command-line word, as UTF-8, that `argument` (one of programArguments)
// came from when that word held a character GB2312 lacks; nothing otherwise.
std::optional<std::string> lostArgumentAsUtf8(const std::string& argument);

// Puts standard input, output and error into binary mode on Windows, so that
// bytes pass unchanged (no CR before LF); elsewhere they already are.
void useBinaryStandardStreams();

// Why standard input cannot be read, as an errno value (EBADF closed, EISDIR
// a directory; 0 readable). Ask before opening any file, which could take its descriptor.
int standardInputProblem();

// True once a read of standard input has failed, rather than met its end.
// std::cin reads through the C library's stdin, which keeps the error.
bool standardInputFailed();

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_PLATFORM_H
