#include "commands.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "command_line.h"
#include "host/code_page_string.h"
#include "host/launch_parameters.h"
#include "host/messages.h"
#include "terminal.h"
#include "xml/brace.h"
#include "xml/document.h"
#include "xml/file.h"
#include "xml/node_stream.h"

namespace tarvik::tool {

namespace {

using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

constexpr char ProgramName[] = "tarvik-xml";
// The operand that stands for standard input.
constexpr char StandardInputOperand[] = "-";
// The brace parser counts the root group as depth 0.
constexpr int32_t RootGroupDepth = 0;

// ------------------------------------------------------------ trees as text

// The nodes under `parent`, each printed at depth 0 and followed by a line
// break: a document's content, the way a markup file holds it.
std::string contentText(const XMLElement& parent) {
    std::ostringstream out;
    for (const auto& child : parent.children)
        child->print(out, 0) << '\n';
    return out.str();
}

// One node and its subtree printed at depth 0, followed by a line break.
std::string nodeText(const XMLElement& node) {
    std::ostringstream out;
    node.print(out, 0) << '\n';
    return out.str();
}

// A document root as to-binary writes it: the root element, holding nothing
// but its children.
bool isBareDocumentRoot(const XMLElement& node) {
    return dynamic_cast<const XMLCData*>(&node) == nullptr &&
           node.name == tarvik::xml::RootElementName && node.attributes.empty() &&
           node.text.empty() && node.dataBracket == 0;
}

// ------------------------------------------------------------ brace

// Parses `text` into the fresh `document`'s root as parseBrace does, but
// hands back the parser's message when the text is refused instead of
// sending it to the debugger output. The root keeps what came before.
std::optional<std::string> parseBraceText(const std::string& text, XMLDocument& document) {
    try {
        tarvik::xml::parseBraceGroup(text.c_str(), document.root(), RootGroupDepth);
    } catch (const std::exception& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

// The text as the launcher would hold it: its wide command line converted to
// GB2312. Bytes that are not GB2312 come out as "?", as they would there.
std::string asTheLauncherHoldsIt(const std::string& gb2312) {
    CodePageString text(gb2312.c_str());
    text.toNarrow();
    return text.narrow;
}

// A launch value in brace notation's quotes, each quote inside doubled; the
// launcher treats an empty value as not given.
std::string shownValue(const std::string& value) {
    if (value.empty())
        return "(not given)";
    std::string quoted = "'";
    for (char c : value)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

// What the launcher takes from its command line, and what it does next.
std::string launchText(const LaunchParameters& parameters) {
    std::ostringstream out;
    out << "url: " << shownValue(parameters.url) << '\n';
    out << "connstate: " << shownValue(parameters.connstate) << '\n';
    out << "waitClose: " << parameters.waitClose
        << (parameters.waitClose == 0 ? " (a close request quits at once)"
                                      : " (a close request goes to the game core first)")
        << '\n';
    if (parameters.url.empty())
        out << "start-up: stops without a url: the launcher shows \"" << StartupErrorText
            << "\" and exits with code 0\n";
    else
        out << "start-up: goes on\n";
    return out.str();
}

int runBrace(const Invocation& invocation, Terminal& terminal) {
    const std::string& operand = invocation.operands.front();
    std::string text =
        operand == StandardInputOperand ? terminal.readInput() : terminal.argumentText(operand);
    if (invocation.launch)
        text = asTheLauncherHoldsIt(text);

    XMLDocument document;
    const std::optional<std::string> refusal = parseBraceText(text, document);
    std::string shown = nodeText(document.root());
    bool accepted = !refusal;
    if (invocation.launch) {
        const LaunchParameters parameters = launchParametersOf(document);
        shown += launchText(parameters);
        accepted = accepted && !parameters.url.empty();
    }
    terminal.write(terminal.fromLibrary(shown));
    if (refusal) {
        terminal.report(std::string(ProgramName) +
                        ": the brace text is refused: " + terminal.fromLibrary(*refusal) +
                        " (the tree holds what came before the error)");
    }
    return accepted ? ExitSuccess : ExitInputError;
}

// ------------------------------------------------------------ files

int runPrint(const Invocation& invocation, Terminal& terminal) {
    XMLDocument document;
    document.loadMarkupFile(invocation.operands[0]);
    terminal.write(terminal.fromLibrary(contentText(document.root())));
    return ExitSuccess;
}

int runToBinary(const Invocation& invocation, Terminal&) {
    XMLDocument document;
    document.loadMarkupFile(invocation.operands[0]);
    tarvik::xml::saveBinary(document.root(), invocation.operands[1]);
    return ExitSuccess;
}

int runFromBinary(const Invocation& invocation, Terminal& terminal) {
    const std::unique_ptr<XMLElement> tree = tarvik::xml::loadBinary(invocation.operands[0]);
    const std::string text = isBareDocumentRoot(*tree) ? contentText(*tree) : nodeText(*tree);
    terminal.write(terminal.fromLibrary(text));
    return ExitSuccess;
}

// A binary node record opens with its type tag, 1 or 2, as four little-endian
// bytes; markup text never starts with byte 0x01 or 0x02. A file that cannot
// be read counts as text, whose reader then reports it.
bool startsAsBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const int first = in.get();
    return first == tarvik::xml::ElementTypeTag || first == tarvik::xml::CDataTypeTag;
}

int runCheck(const Invocation& invocation, Terminal& terminal) {
    const std::string& path = invocation.operands[0];
    const bool binary = startsAsBinary(path);
    if (binary) {
        tarvik::xml::loadBinary(path);
    } else {
        XMLDocument document;
        document.loadMarkupFile(path);
    }
    terminal.write(terminal.fromArgument(path) + ": ok (" +
                   (binary ? "binary node stream" : "markup text") + ")\n");
    return ExitSuccess;
}

// ------------------------------------------------------------ the command table

struct Command {
    const char* name;
    const char* operands;  // as the usage line shows them
    size_t operandCount;
    bool takesLaunch;        // whether --launch applies
    const char* summary;     // one line for the overview
    const char* help;        // what --help says after the usage line
    const char* options;     // the command's own options, for --help
    const char* exitStatus;  // for --help; null for the usual meaning
    int (*run)(const Invocation&, Terminal&);
};

constexpr char BraceHelp[] =
    "Parses TEXT, or standard input read whole and as is for \"-\", as brace\n"
    "notation (name = value, name = (group), -- comment) and prints the tree as\n"
    "indented text, starting with the root element AbsoluteRoot so that the\n"
    "attributes it received show. Put \"--\" before a TEXT that begins with \"-\".\n"
    "A refused text (a group left open) still prints what came before the error,\n"
    "which is what the launcher keeps; the error goes to standard error.\n";

constexpr char BraceOptions[] =
    "  --launch  also show the url, connstate and waitClose that the launcher\n"
    "            takes from the text (from the root, or from its one group), and\n"
    "            whether its start-up would go on.\n";

constexpr char BraceExitStatus[] =
    "Exit status: 0 the text was accepted (with --launch: and start-up would go\n"
    "on), 1 it was refused (with --launch: or start-up would stop), 2 the command\n"
    "line was wrong.\n";

constexpr char PrintHelp[] =
    "Reads FILE as markup text and prints it as indented text: each top-level\n"
    "node as the library prints it (one tab per level, nothing escaped),\n"
    "followed by a line break. An xml declaration is read but not printed.\n"
    "Reports the first error as FILE:LINE:COLUMN: message.\n";

constexpr char ToBinaryHelp[] =
    "Reads FILE as markup text and writes its document to OUT as one binary node\n"
    "record, replacing OUT: the root element AbsoluteRoot with every top-level\n"
    "node as its child. from-binary prints it back as print prints FILE.\n";

constexpr char FromBinaryHelp[] =
    "Reads FILE, which must hold exactly one binary node record, and prints the\n"
    "tree as indented text. A document root as to-binary writes it (AbsoluteRoot\n"
    "with nothing but children) is left out, so the text reads as print's;\n"
    "any other top node is printed itself. Reports the first error as\n"
    "FILE: byte N: message.\n";

constexpr char CheckHelp[] =
    "Reads FILE and prints \"FILE: ok (...)\" when it holds no error. Otherwise\n"
    "reports the first error on standard error: FILE:LINE:COLUMN: message for\n"
    "markup text, FILE: byte N: message for a binary node stream.\n"
    "FILE is a binary node stream when its first byte is 0x01 or 0x02 (a record\n"
    "opens with its type tag, 1 or 2, as four little-endian bytes; markup text\n"
    "never starts with those bytes), and markup text otherwise.\n";

constexpr Command Commands[] = {
    {"brace", "TEXT|-", 1, true, "parse a brace-notation text and print its tree", BraceHelp,
     BraceOptions, BraceExitStatus, runBrace},
    {"print", "FILE", 1, false, "print a markup text file as indented text", PrintHelp, "", nullptr,
     runPrint},
    {"to-binary", "FILE OUT", 2, false, "convert a markup text file to a binary node stream",
     ToBinaryHelp, "", nullptr, runToBinary},
    {"from-binary", "FILE", 1, false, "print a binary node stream as indented text", FromBinaryHelp,
     "", nullptr, runFromBinary},
    {"check", "FILE", 1, false, "report the first error in a markup or binary file", CheckHelp, "",
     nullptr, runCheck},
};

const Command* findCommand(const std::string& name) {
    for (const Command& command : Commands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

// ------------------------------------------------------------ help and usage

// The overview lists each command's synopsis in a column this wide.
constexpr size_t SynopsisWidth = 20;

constexpr char OptionsHelp[] =
    "  --utf8    the terminal speaks UTF-8: TEXT and standard input are read as\n"
    "            UTF-8, and everything written is UTF-8. Without it all text is\n"
    "            GB2312 bytes, as the library holds them. Files are GB2312 always.\n"
    "  --help    show this help, or after a command that command's help\n"
    "  --        end the options: what follows is an argument even if it begins\n"
    "            with \"-\"\n";

constexpr char ExitStatusHelp[] =
    "Exit status: 0 success, 1 the input was refused or a file could not be read\n"
    "or written, 2 the command line was wrong.\n";

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

std::string commandHelp(const Command& command) {
    std::ostringstream out;
    out << "Usage: " << ProgramName << ' ' << command.name
        << (command.takesLaunch ? " [--launch]" : "") << " [--utf8] " << command.operands << "\n\n"
        << command.help << "\nOptions:\n"
        << command.options << OptionsHelp << '\n'
        << (command.exitStatus ? command.exitStatus : ExitStatusHelp);
    return out.str();
}

// Reports a wrong command line with a pointer to the help, and gives the exit code.
int usageError(Terminal& terminal, const Command* command, const std::string& problem) {
    const std::string program =
        command ? std::string(ProgramName) + " " + command->name : std::string(ProgramName);
    terminal.report(program + ": " + terminal.fromArgument(problem));
    terminal.report("Try '" + program + " --help'.");
    return ExitUsage;
}

int runInvocation(const Invocation& invocation, Terminal& terminal) {
    const Command* command = findCommand(invocation.command);
    if (!invocation.unknownOption.empty())
        return usageError(terminal, command, "unknown option '" + invocation.unknownOption + "'");
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
    if (invocation.launch && !command->takesLaunch)
        return usageError(terminal, command, "--launch belongs to the brace command");
    if (invocation.operands.size() != command->operandCount)
        return usageError(terminal, command, std::string("expects ") + command->operands);
    return command->run(invocation, terminal);
}

}  // namespace

int runTool(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
            std::ostream& err) {
    const Invocation invocation = parseCommandLine(arguments);
    Terminal terminal(in, out, err, invocation.utf8);
    int code = ExitInputError;
    try {
        code = runInvocation(invocation, terminal);
    } catch (const tarvik::xml::XMLException& error) {
        terminal.reportError(error);
    } catch (const std::exception& error) {
        terminal.report(std::string(ProgramName) + ": " + terminal.fromLibrary(error.what()));
    }
    if (!terminal.outputSucceeded()) {
        terminal.report(std::string(ProgramName) + ": cannot write standard output");
        return ExitInputError;
    }
    return code;
}

}  // namespace tarvik::tool
