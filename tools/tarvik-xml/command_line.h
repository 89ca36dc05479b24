// The tool's command line: a command name, its operands, and options that may
// stand anywhere among them.
//
//     tarvik-xml [--utf8] COMMAND [--launch|--make|--format|--xml] [--help] [--] OPERAND...
#ifndef TARVIK_TOOL_COMMAND_LINE_H
#define TARVIK_TOOL_COMMAND_LINE_H

#include <string>
#include <vector>

namespace tarvik::tool {

// What the command line asks for. Options are recorded whichever command they
// come with; the command decides which it accepts.
struct Invocation {
    std::string command;                // the first operand; empty when none was given
    std::vector<std::string> operands;  // the operands after the command, in order
    bool utf8 = false;                  // --utf8: the terminal speaks UTF-8
    bool launch = false;                // --launch: show what the launcher takes
    bool make = false;                  // --make: write a brace line from NAME=VALUE operands
    bool format = false;                // --format: write a text in the canonical brace form
    bool xml = false;                   // --xml: read or write standard XML, not markup text
    bool help = false;                  // --help or -h
    std::string unknownOption;          // the first option the tool does not know, if any
};

// Sorts the arguments (without the program name) into an Invocation; "--" ends
// the options, and "-" alone is an operand (standard input).
Invocation parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_COMMAND_LINE_H
