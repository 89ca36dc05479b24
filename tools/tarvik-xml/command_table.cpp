#include "command_table.h"

#include <cstddef>
#include <limits>
#include <sstream>
#include <string>

#include "command_line.h"
#include "commands.h"
#include "help_text.h"
#include "terminal.h"
#include "tool.h"

namespace tarvik::tool {

namespace {

// For a command that takes any number of operands.
constexpr size_t AnyNumber = std::numeric_limits<size_t>::max();

// One command: its name, what it takes, its help, and its handler.
struct Command {
    const char* name;
    const char* operands;  // as the usage line shows them
    size_t fewestOperands;
    size_t mostOperands;
    bool takesLaunch;        // whether --launch applies
    bool takesXml;           // whether --xml applies
    const char* summary;     // one line for the overview
    const char* help;        // what --help says after the usage line
    const char* options;     // the command's own options, for --help
    const char* exitStatus;  // for --help; null for the usual meaning
    const char* moreUsage;   // further usage lines for --help, or ""
    int (*run)(const Invocation&, Terminal&);
};

// Every command, in the order the overview lists them.
constexpr Command Commands[] = {
    {"brace", "TEXT|-", 1, 1, true, false, "parse, make or format brace notation", BraceHelp,
     BraceOptions, BraceExitStatus, BraceMoreUsage, runBrace},
    {"print", "FILE", 1, 1, false, true, "print a markup or XML file as indented text", PrintHelp,
     XmlWritingOption, nullptr, "", runPrint},
    {"to-binary", "FILE OUT", 2, 2, false, true,
     "convert a markup or XML file to a binary node stream", ToBinaryHelp, XmlOption, nullptr, "",
     runToBinary},
    {"from-binary", "FILE", 1, 1, false, true, "print a binary node stream as indented text or XML",
     FromBinaryHelp, XmlRecordOption, nullptr, "", runFromBinary},
    {"check", "FILE...", 1, AnyNumber, false, true,
     "report the first error in markup, XML or binary files", CheckHelp, XmlOption, CheckExitStatus,
     "", runCheck},
};

// The command of that name, or null.
const Command* findCommand(const std::string& name) {
    for (const Command& command : Commands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

// The command a usage error names: none before one is known.
const char* nameOf(const Command* command) {
    return command ? command->name : nullptr;
}

// The overview lists each command's synopsis in a column this wide.
constexpr size_t SynopsisWidth = 20;

// --help without a command: the usage line, every command, the options.
std::string overviewHelp() {
    std::ostringstream out;
    out << "Usage: " << ProgramName << " [--utf8] COMMAND ARGUMENTS...\n\n"
        << "Shows and converts what the tarvik::xml markup library reads.\n\nCommands:\n";
    for (const Command& command : Commands) {
        const std::string synopsis = std::string(command.name) + " " + command.operands;
        const size_t padding =
            synopsis.size() < SynopsisWidth ? SynopsisWidth - synopsis.size() : 1;
        out << "  " << synopsis << std::string(padding, ' ') << command.summary << '\n';
    }
    out << "\nOptions:\n" << OptionsHelp << '\n' << ExitStatusHelp;
    return out.str();
}

// --help after a command: its usage lines, its help, its options.
std::string commandHelp(const Command& command) {
    std::ostringstream out;
    out << "Usage: " << ProgramName << ' ' << command.name
        << (command.takesLaunch ? " [--launch]" : "") << (command.takesXml ? " [--xml]" : "")
        << " [--utf8] " << command.operands << "\n"
        << command.moreUsage << "\n"
        << command.help << "\nOptions:\n"
        << command.options << OptionsHelp << '\n'
        << (command.exitStatus ? command.exitStatus : ExitStatusHelp);
    return out.str();
}

// How many operands the command takes with these options, and how its usage names them.
struct OperandRule {
    size_t fewest;
    size_t most;
    const char* shown;
};

// --make takes any number of NAME=VALUE operands; otherwise the table says.
OperandRule operandRule(const Command& command, const Invocation& invocation) {
    if (invocation.make)
        return {1, AnyNumber, "NAME=VALUE..."};
    return {command.fewestOperands, command.mostOperands, command.operands};
}

// The wrong option for this command, or null. The brace command's options choose what it does, at
// most one of them;
// --xml goes with the commands that read or write files.
const char* wrongOption(const Command& command, const Invocation& invocation) {
    const int chosen = int{invocation.launch} + int{invocation.make} + int{invocation.format};
    if (chosen > 0 && !command.takesLaunch)
        return invocation.launch ? "--launch belongs to the brace command"
                                 : "--make and --format belong to the brace command";
    if (chosen > 1)
        return "--launch, --make and --format do not go together";
    if (invocation.xml && !command.takesXml)
        return "--xml belongs to print, to-binary, from-binary and check";
    return nullptr;
}

}  // namespace

int runInvocation(const Invocation& invocation, Terminal& terminal) {
    const Command* command = findCommand(invocation.command);
    if (!invocation.unknownOption.empty())
        return usageError(terminal, nameOf(command),
                          "unknown option '" + invocation.unknownOption + "'");
    if (invocation.command.empty() && invocation.help) {
        terminal.write(overviewHelp());
        return ExitSuccess;
    }
    if (invocation.command.empty())
        return usageError(terminal, nullptr, "no command given");
    if (!command)
        return usageError(terminal, nullptr, "unknown command '" + invocation.command + "'");
    if (invocation.help) {
        terminal.write(commandHelp(*command));
        return ExitSuccess;
    }
    if (const char* problem = wrongOption(*command, invocation))
        return usageError(terminal, nameOf(command), problem);
    const OperandRule rule = operandRule(*command, invocation);
    if (invocation.operands.size() < rule.fewest || invocation.operands.size() > rule.most)
        return usageError(terminal, nameOf(command), std::string("expects ") + rule.shown);
    return command->run(invocation, terminal);
}

}  // namespace tarvik::tool
