#include "tool.h"

#include <exception>

#include "command_line.h"
#include "command_table.h"
#include "commands.h"
#include "help_text.h"
#include "terminal.h"
#include "xml/document.h"

namespace tarvik::tool {

int runTool(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
            std::ostream& err) {
    const Invocation invocation = parseCommandLine(arguments);
    Terminal terminal(in, out, err, invocation.utf8);
    int code = ExitInputError;
    try {
        code = runInvocation(invocation, terminal);
    } catch (const InputError& error) {
        code = reportInputError(error, terminal);
    } catch (const tarvik::xml::XMLException& error) {
        terminal.reportError(error);
    } catch (const std::exception& error) {
        terminal.report(std::string(ProgramName) + ": " +
                        terminal.messageFromLibrary(error.what()));
    }
    if (!terminal.outputSucceeded()) {
        terminal.report(std::string(ProgramName) + ": cannot write standard output");
        return ExitInputError;
    }
    return code;
}

int usageError(Terminal& terminal, const char* command, const std::string& problem) {
    const std::string program =
        command ? std::string(ProgramName) + " " + command : std::string(ProgramName);
    terminal.report(program + ": " + terminal.messageFromArgument(problem));
    terminal.report("Try '" + program + " --help'.");
    return ExitUsage;
}

}  // namespace tarvik::tool
