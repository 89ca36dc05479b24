#include "command_line.h"

namespace tarvik::tool {

namespace {

constexpr char EndOfOptions[] = "--";

// "-" alone is an operand: it stands for standard input.
bool isOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// Records one option; false when the option is unknown.
bool applyOption(const std::string& option, Invocation& invocation) {
    if (option == "--utf8")
        invocation.utf8 = true;
    else if (option == "--launch")
        invocation.launch = true;
    else if (option == "--make")
        invocation.make = true;
    else if (option == "--format")
        invocation.format = true;
    else if (option == "--xml")
        invocation.xml = true;
    else if (option == "--help" || option == "-h")
        invocation.help = true;
    else
        return false;
    return true;
}

}  // namespace

// arguments := { option | operand } [ "--" { operand } ]
// The first operand names the command; "-" is an operand.
Invocation parseCommandLine(const std::vector<std::string>& arguments) {
    Invocation invocation;
    bool optionsEnded = false;
    bool commandSeen = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == EndOfOptions) {
            optionsEnded = true;
        } else if (!optionsEnded && isOption(argument)) {
            if (!applyOption(argument, invocation) && invocation.unknownOption.empty())
                invocation.unknownOption = argument;
        } else if (!commandSeen) {
            invocation.command = argument;
            commandSeen = true;
        } else {
            invocation.operands.push_back(argument);
        }
    }
    return invocation;
}

}  // namespace tarvik::tool
