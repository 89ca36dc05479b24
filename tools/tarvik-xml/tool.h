// The tool as a whole: its exit codes, the run of one command line, and the
// report of a wrong one.
#ifndef TARVIK_TOOL_TOOL_H
#define TARVIK_TOOL_TOOL_H

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tarvik::tool {

class Terminal;

// Exit codes, as command-line programs use them.
constexpr int ExitSuccess = 0;     // the input was accepted
constexpr int ExitInputError = 1;  // the input was refused, or a file could not be read or written
constexpr int ExitUsage = 2;       // the command line was wrong

// Runs one command line (the arguments after the program name) on streams that
// pass bytes unchanged; reports every failure on `err`, returns the exit code, never throws.
int runTool(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
            std::ostream& err);

// Reports "tarvik-xml [COMMAND]: problem" and a pointer to --help on standard
// error; returns ExitUsage.
int usageError(Terminal& terminal, const char* command, const std::string& problem);

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_TOOL_H
