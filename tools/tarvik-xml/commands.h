// The tool's commands. Each takes an Invocation whose options and operand
// count the command table has already checked, writes through `terminal`,
// and returns the exit code (tool.h). An input it cannot open or read throws
// InputError; a refused document throws the library's XMLException.
#ifndef TARVIK_TOOL_COMMANDS_H
#define TARVIK_TOOL_COMMANDS_H

#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "command_line.h"
#include "terminal.h"

namespace tarvik::tool {

// An input that cannot be opened or read: its name and why.
class InputError : public std::exception {
public:
    // `reason` is an errno value, or 0 when unknown.
    InputError(std::string name, int reason)
        : InputError(std::move(name), reason != 0 ? std::strerror(reason) : "") {}
    // `reason` says why for people, or is empty when unknown.
    InputError(std::string name, std::string reason)
        : name_(std::move(name)), reason_(std::move(reason)) {}
    const char* what() const noexcept override { return "cannot open"; }
    // The operand as given.
    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

// brace TEXT|-: prints the brace text's tree (--launch: and what the
// launcher takes from it); --make and --format go to their own handlers.
int runBrace(const Invocation& invocation, Terminal& terminal);

// print FILE: the markup (or --xml: XML) file printed as indented text.
int runPrint(const Invocation& invocation, Terminal& terminal);

// to-binary FILE OUT: the file's document saved to OUT as one binary record.
int runToBinary(const Invocation& invocation, Terminal& terminal);

// from-binary FILE: the binary record printed as indented text (--xml: XML).
int runFromBinary(const Invocation& invocation, Terminal& terminal);

// check FILE...: "FILE: ok (...)" or the first error for each FILE in turn.
int runCheck(const Invocation& invocation, Terminal& terminal);

// Reports "NAME: 无法打开文件 (reason)" on standard error, the message as the
// library spells it, and returns ExitInputError.
int reportInputError(const InputError& error, Terminal& terminal);

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_COMMANDS_H
