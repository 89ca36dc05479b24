#include "commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "host/code_page_string.h"
#include "host/launch_parameters.h"
#include "host/messages.h"
#include "platform.h"
#include "terminal.h"
#include "xml/brace.h"
#include "xml/document.h"
#include "xml/file.h"
#include "xml/messages.h"
#include "xml/node_stream.h"
#include "xml/xml_writer.h"

namespace tarvik::tool {

namespace {

using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

constexpr char ProgramName[] = "tarvik-xml";
// The operand that stands for standard input, or for standard output as OUT.
constexpr char StandardInputOperand[] = "-";
constexpr const char* StandardOutputOperand = StandardInputOperand;
// For a command that takes any number of operands.
constexpr size_t AnyNumber = std::numeric_limits<size_t>::max();
// The brace parser counts the root group as depth 0.
constexpr int32_t RootGroupDepth = 0;

// ------------------------------------------------------------ trees as text

// Writes the nodes under `parent`, each printed at depth 0 and followed by a
// line break: a document's content, the way a markup file holds it.
void printContent(const XMLElement& parent, std::ostream& out) {
    for (const auto& child : parent.children) {
        if (child)
            child->print(out, 0) << '\n';
    }
}

// Writes one node and its subtree printed at depth 0, and a line break.
void printNode(const XMLElement& node, std::ostream& out) {
    node.print(out, 0) << '\n';
}

// A document root as to-binary writes it: the root element, holding nothing
// but its children.
bool isBareDocumentRoot(const XMLElement& node) {
    return !node.isCData() && node.name == tarvik::xml::RootElementName &&
           node.attributes.empty() && node.text.empty() && node.dataBracket == 0;
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

// An input that cannot be opened or read, with the reason.
class InputError : public std::exception {
public:
    // `reason` is an errno value, or 0 when unknown.
    InputError(std::string name, int reason)
        : InputError(std::move(name), reason != 0 ? std::strerror(reason) : "") {}
    // `reason` says why for people, or is empty when unknown.
    InputError(std::string name, std::string reason)
        : name_(std::move(name)), reason_(std::move(reason)) {}
    const char* what() const noexcept override { return "cannot open"; }
    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }

private:
    std::string name_;
    std::string reason_;
};

// The text a brace operand stands for: the argument itself, or for "-"
// standard input read whole, refused at a zero byte as a file would be
// (the launcher's command line can hold none, and the text would end there).
std::string braceTextOf(const std::string& operand, Terminal& terminal) {
    if (operand != StandardInputOperand)
        return terminal.argumentText(operand);
    try {
        return terminal.readInput();
    } catch (const InputUnavailable& error) {
        throw InputError(operand, error.what());
    } catch (tarvik::xml::XMLException& error) {
        error.setSource(operand);
        throw;
    }
}

int runMake(const Invocation& invocation, Terminal& terminal);
int runFormat(const Invocation& invocation, Terminal& terminal);

int runBrace(const Invocation& invocation, Terminal& terminal) {
    if (invocation.make)
        return runMake(invocation, terminal);
    if (invocation.format)
        return runFormat(invocation, terminal);
    std::string text = braceTextOf(invocation.operands.front(), terminal);
    if (invocation.launch)
        text = asTheLauncherHoldsIt(text);

    XMLDocument document;
    const std::optional<std::string> refusal = parseBraceText(text, document);
    printNode(document.root(), terminal.libraryOutput());
    bool accepted = !refusal;
    if (invocation.launch) {
        const LaunchParameters parameters = launchParametersOf(document);
        terminal.libraryOutput() << launchText(parameters);
        accepted = accepted && !parameters.url.empty();
    }
    if (refusal) {
        terminal.report(std::string(ProgramName) +
                        ": the brace text is refused: " + terminal.messageFromLibrary(*refusal) +
                        " (the tree holds what came before the error)");
    }
    return accepted ? ExitSuccess : ExitInputError;
}

int usageError(Terminal& terminal, const char* command, const std::string& problem);

// A tree brace notation cannot write back: "tarvik-xml: NODE: message".
int reportUnwritable(const tarvik::xml::XMLException& error, Terminal& terminal) {
    terminal.report(std::string(ProgramName) + ": " + terminal.messageFromLibrary(error.node()) +
                    ": " + terminal.messageFromLibrary(error.what()));
    return ExitInputError;
}

// The first attribute of `made` that `read` does not hold as it is, in its
// place, or null when `read` holds exactly those attributes and nothing else.
const XMLAttribute* firstChanged(const XMLElement& made, const XMLElement& read) {
    auto got = read.attributes.begin();
    for (const XMLAttribute& want : made.attributes) {
        if (got == read.attributes.end() || got->name != want.name || got->value != want.value)
            return &want;
        ++got;
    }
    const bool nothingElse =
        got == read.attributes.end() && read.children.empty() && read.text.empty();
    return nothingElse ? nullptr : &made.attributes.back();
}

bool makesLaunchParameter(const XMLElement& made) {
    return made.attribute("url") || made.attribute("connstate") || made.attribute("waitClose");
}

// Writes each line of `text`, already in the terminal's encoding, to standard error.
void reportLines(const std::string& text, Terminal& terminal) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        terminal.report(line);
}

// brace --make NAME=VALUE...: one line holding those attributes, in that
// order, written by writeBrace and read back as the launcher would hold it.
int runMake(const Invocation& invocation, Terminal& terminal) {
    XMLElement made(tarvik::xml::RootElementName);
    for (const std::string& operand : invocation.operands) {
        const std::string pair = terminal.argumentText(operand);
        const size_t equals = pair.find('=');
        if (equals == std::string::npos)
            return usageError(terminal, "brace", "expects NAME=VALUE, not '" + operand + "'");
        // A link must carry what was asked for, not the "?" a lost character becomes.
        const std::optional<std::string> typed = lostArgumentAsUtf8(operand);
        if (typed || terminal.fromLibrary(pair) != terminal.fromArgument(operand)) {
            const std::string shown =
                typed && terminal.messagesInUtf8() ? *typed : terminal.messageFromArgument(operand);
            terminal.report(std::string(ProgramName) + ": '" + shown +
                            "' holds a character GB2312 lacks");
            return ExitInputError;
        }
        made.appendAttribute(XMLAttribute(std::string_view(pair).substr(0, equals),
                                          std::string_view(pair).substr(equals + 1)));
    }
    std::ostringstream line;
    try {
        tarvik::xml::writeBrace(made, line);
    } catch (const tarvik::xml::XMLException& error) {
        return reportUnwritable(error, terminal);
    }
    XMLDocument back;
    const std::optional<std::string> refusal =
        parseBraceText(asTheLauncherHoldsIt(line.str()), back);
    const XMLAttribute* changed = firstChanged(made, back.root());
    if (refusal || changed) {
        const std::string& name = changed ? changed->name : made.attributes.front().name;
        terminal.report(std::string(ProgramName) + ": the launcher would not read " +
                        terminal.messageFromLibrary(name) +
                        " as given: its command line turns bytes that are not GB2312 into \"?\"");
        return ExitInputError;
    }
    terminal.libraryOutput() << line.str() << '\n';
    if (makesLaunchParameter(made))
        reportLines(terminal.messageFromLibrary(launchText(launchParametersOf(back))), terminal);
    return ExitSuccess;
}

// brace --format TEXT|-: the text's tree written back in the canonical form.
int runFormat(const Invocation& invocation, Terminal& terminal) {
    const std::string text = braceTextOf(invocation.operands.front(), terminal);
    XMLDocument document;
    if (const std::optional<std::string> refusal = parseBraceText(text, document)) {
        terminal.report(std::string(ProgramName) +
                        ": the brace text is refused: " + terminal.messageFromLibrary(*refusal));
        return ExitInputError;
    }
    try {
        tarvik::xml::writeBrace(document.root(), terminal.libraryOutput());
    } catch (const tarvik::xml::XMLException& error) {
        return reportUnwritable(error, terminal);  // no parsed tree gets here
    }
    terminal.libraryOutput() << '\n';
    return ExitSuccess;
}

// ------------------------------------------------------------ files

// An input operand opened once: a file, or standard input for "-". Commands
// read it through stream() exactly once, so pipes and FIFOs work.
class Input {
public:
    // Opens `operand`. Throws InputError, which says why, when it cannot:
    // standard input too when it is closed, a directory, or taken by an
    // earlier "-".
    Input(const std::string& operand, Terminal& terminal);

    std::istream& stream() { return *stream_; }
    // Throws InputError when reading standard input failed, which the
    // loaders take for its end; for after they have read it. A file's read
    // errors the loaders report themselves.
    void checkRead() const;
    // How far the library may read it: a regular file to its size.
    const tarvik::xml::LoadOptions& options() const { return options_; }
    // The name errors give it: the operand as given.
    const std::string& name() const { return name_; }

private:
    std::string name_;
    Terminal& terminal_;
    bool standardInput_ = false;
    std::ifstream file_;
    std::istream* stream_;
    tarvik::xml::LoadOptions options_;
};

Input::Input(const std::string& operand, Terminal& terminal)
    : name_(operand), terminal_(terminal), stream_(&file_) {
    if (operand == StandardInputOperand) {
        try {
            stream_ = &terminal.takeInput();
        } catch (const InputUnavailable& error) {
            throw InputError(operand, error.what());
        }
        standardInput_ = true;
        return;
    }
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path path(operand);
    if (fs::is_directory(path, ignored))
        throw InputError(operand, EISDIR);
    // A regular file is read to its size, however large; only sources
    // without a size keep the library's limit.
    if (fs::is_regular_file(path, ignored)) {
        const std::uintmax_t size = fs::file_size(path, ignored);
        if (!ignored && size > options_.streamLimit)
            options_.streamLimit = size;
    }
    errno = 0;
    file_.open(operand, std::ios::binary);
    if (!file_)
        throw InputError(operand, errno);
}

void Input::checkRead() const {
    if (!standardInput_)
        return;
    try {
        terminal_.checkInputRead();
    } catch (const InputUnavailable& error) {
        throw InputError(name_, error.what());
    }
}

// The encodings --utf8 converts from: GB2312 and the names its superset
// code page 936 goes by. A document that declares another (UTF-8, say) is
// already what it is, and converting it as GB2312 would garble it.
bool isGb2312Family(std::string_view encoding) {
    for (const std::string_view name : {"gb2312", "gbk", "cp936", "euc-cn", "x-gbk"}) {
        if (encoding.size() == name.size() &&
            std::equal(encoding.begin(), encoding.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return true;
    }
    return false;
}

// Standard output for the text of `document`: converted with --utf8 where
// the document is GB2312, passed as it is where it declared another encoding.
std::ostream& documentOutput(const XMLDocument& document, Terminal& terminal) {
    return isGb2312Family(document.encoding()) ? terminal.libraryOutput() : terminal.byteOutput();
}

// Reads the input into `document` as standard XML with --xml, as markup text otherwise.
void loadDocument(const Invocation& invocation, Input& input, XMLDocument& document) {
    if (invocation.xml)
        tarvik::xml::loadXmlStream(document, input.stream(), input.name(), input.options());
    else
        tarvik::xml::loadMarkupStream(document, input.stream(), input.name(), input.options());
    input.checkRead();
}

int runPrint(const Invocation& invocation, Terminal& terminal) {
    Input input(invocation.operands[0], terminal);
    XMLDocument document;
    loadDocument(invocation, input, document);
    if (invocation.xml) {
        tarvik::xml::writeXml(document, terminal.byteOutput());  // in the document's own encoding
        return ExitSuccess;
    }
    // What print writes must read back as this tree, as a saved file must.
    try {
        tarvik::xml::checkMarkupFile(document);
    } catch (tarvik::xml::XMLException& error) {
        error.setSource(input.name());
        throw;
    }
    printContent(document.root(), documentOutput(document, terminal));
    return ExitSuccess;
}

int runToBinary(const Invocation& invocation, Terminal& terminal) {
    Input input(invocation.operands[0], terminal);
    XMLDocument document;
    loadDocument(invocation, input, document);
    const std::string& out = invocation.operands[1];
    if (out == StandardOutputOperand)
        document.root().writeBinary(terminal.byteOutput());
    else
        tarvik::xml::saveBinary(document.root(), out);
    return ExitSuccess;
}

// Prints a record as print prints a document: a document root as to-binary
// writes it is left out.
void printRecord(const XMLElement& tree, std::ostream& out) {
    if (isBareDocumentRoot(tree))
        printContent(tree, out);
    else
        printNode(tree, out);
}

// The same as standard XML: each top-level node, or the top node itself,
// written by writeXml (which refuses what XML cannot hold before writing it)
// and followed by a line break, its bytes as the record holds them.
void writeRecordAsXml(const XMLElement& tree, std::ostream& out) {
    if (!isBareDocumentRoot(tree)) {
        tarvik::xml::writeXml(tree, out);
        out << '\n';
        return;
    }
    for (const auto& child : tree.children) {
        if (child) {
            tarvik::xml::writeXml(*child, out);
            out << '\n';
        }
    }
}

int runFromBinary(const Invocation& invocation, Terminal& terminal) {
    Input input(invocation.operands[0], terminal);
    const std::unique_ptr<XMLElement> tree =
        tarvik::xml::loadBinaryStream(input.stream(), input.name(), input.options());
    input.checkRead();
    if (invocation.xml)
        writeRecordAsXml(*tree, terminal.byteOutput());
    else
        printRecord(*tree, terminal.libraryOutput());
    return ExitSuccess;
}

// A binary node record opens with its type tag, 1 or 2, as four little-endian
// bytes; markup text seldom starts with byte 0x01 or 0x02. The byte is peeked,
// not taken, so the loader reads the input from its start.
bool startsAsBinary(std::istream& in) {
    const int first = in.peek();
    return first == tarvik::xml::ElementTypeTag || first == tarvik::xml::CDataTypeTag;
}

// Elements (not CDATA sections) in the tree under `top`, `top` included.
std::size_t elementCount(const XMLElement& top) {
    std::size_t count = 0;
    std::vector<const XMLElement*> pending{&top};
    while (!pending.empty()) {
        const XMLElement* node = pending.back();
        pending.pop_back();
        if (!node->isCData())
            ++count;
        for (const auto& child : node->children) {
            if (child)
                pending.push_back(child.get());
        }
    }
    return count;
}

std::string plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What a checked input turned out to be, and how many elements it holds.
std::string describeFound(const char* kind, std::size_t elements, const std::string& source) {
    if (elements == 0) {
        tarvik::xml::XMLException error(tarvik::xml::messages::NoElement);
        error.setSource(source);
        throw error;
    }
    return std::string(kind) + ", " + plural(elements, "element");
}

// Reads one input whole, as standard XML with --xml, otherwise as markup
// text or as a binary record by its first byte, and says what it found;
// throws the loader's error, and NoElement for an input that holds no
// element (an empty or plain text file).
std::string checkOne(const Invocation& invocation, Input& input) {
    if (invocation.xml) {
        XMLDocument document;
        tarvik::xml::loadXmlStream(document, input.stream(), input.name(), input.options());
        input.checkRead();
        return describeFound("XML", elementCount(document.root()) - 1, input.name());
    }
    if (startsAsBinary(input.stream())) {
        const std::unique_ptr<XMLElement> tree =
            tarvik::xml::loadBinaryStream(input.stream(), input.name(), input.options());
        input.checkRead();
        const std::size_t root = isBareDocumentRoot(*tree) ? 1 : 0;
        return describeFound("binary node stream", elementCount(*tree) - root, input.name());
    }
    XMLDocument document;
    tarvik::xml::loadMarkupStream(document, input.stream(), input.name(), input.options());
    input.checkRead();
    return describeFound("markup text", elementCount(document.root()) - 1, input.name());
}

int reportInputError(const InputError& error, Terminal& terminal);

int runCheck(const Invocation& invocation, Terminal& terminal) {
    int code = ExitSuccess;
    for (const std::string& operand : invocation.operands) {
        try {
            Input input(operand, terminal);
            const std::string found = checkOne(invocation, input);
            terminal.write(terminal.fromArgument(operand) + ": ok (" + found + ")\n");
        } catch (const InputError& error) {
            code = reportInputError(error, terminal);
        } catch (const tarvik::xml::XMLException& error) {
            terminal.reportError(error);
            code = ExitInputError;
        }
    }
    return code;
}

// "NAME: 无法打开文件 (reason)", the message as the library spells it.
int reportInputError(const InputError& error, Terminal& terminal) {
    std::string line = terminal.messageFromArgument(error.name()) + ": " +
                       terminal.messageFromLibrary(tarvik::xml::messages::CannotOpenFile);
    if (!error.reason().empty())
        line += " (" + error.reason() + ")";
    terminal.report(line);
    return ExitInputError;
}

// ------------------------------------------------------------ the command table

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

constexpr char BraceHelp[] =
    "Parses TEXT, or standard input read whole and as is for \"-\" (refused at a\n"
    "zero byte, which no command line holds, as print refuses one), as brace\n"
    "notation (name = value, name = (group), -- comment) and prints the tree as\n"
    "indented text, starting with the root element AbsoluteRoot so that the\n"
    "attributes it received show. Put \"--\" before a TEXT that begins with \"-\".\n"
    "A refused text (a group left open) still prints what came before the error,\n"
    "which is what the launcher keeps; the error goes to standard error.\n"
    "\n"
    "--make writes one brace-notation line holding the attributes NAME=VALUE in\n"
    "the order given (each split at its first \"=\"; values as given, or from UTF-8\n"
    "with --utf8), quoted and doubled where the notation needs it, to standard\n"
    "output, ready to paste into a launch link. It first reads the line back as\n"
    "the launcher would hold it and refuses a line that would read differently;\n"
    "when url, connstate or waitClose is among the names, what the launcher\n"
    "would take from it (as --launch shows) goes to standard error.\n"
    "--format prints TEXT's tree in the canonical brace form: every attribute as\n"
    "name=value, then the groups, then the text.\n";

constexpr char BraceOptions[] =
    "  --launch  also show the url, connstate and waitClose that the launcher\n"
    "            takes from the text (from the root, or from its one group), and\n"
    "            whether its start-up would go on.\n"
    "  --make    write a brace line from the operands NAME=VALUE...\n"
    "  --format  print TEXT in the canonical brace form\n";

constexpr char BraceExitStatus[] =
    "Exit status: 0 the text was accepted (with --launch: and start-up would go\n"
    "on), 1 it was refused (with --launch: or start-up would stop; with --make: a\n"
    "value brace notation cannot hold, or the launcher would read it otherwise),\n"
    "2 the command line was wrong.\n";

constexpr char BraceMoreUsage[] =
    "       tarvik-xml brace --make [--utf8] NAME=VALUE...\n"
    "       tarvik-xml brace --format [--utf8] TEXT|-\n";

constexpr char PrintHelp[] =
    "Reads FILE (\"-\": standard input) as markup text and prints it as indented\n"
    "text: each top-level node as the library prints it (one tab per level,\n"
    "nothing escaped), followed by a line break, written as it goes. An xml\n"
    "declaration is read but not printed. Reports the first error as\n"
    "FILE:LINE:COLUMN: message, and refuses, naming the node, a tree whose\n"
    "printed text would read back different, as saving it would. With --utf8 a\n"
    "GB2312 document is converted; one that declares another encoding (UTF-8,\n"
    "say) is printed as it is.\n"

    "With --xml, FILE is read as standard XML 1.0 (references decoded, every\n"
    "well-formedness error reported with the rule it breaks) and written back as\n"
    "standard XML: its declaration, then its root element, indented, escaped\n"
    "where XML needs it, in the document's own encoding; --utf8 does not convert\n"
    "it.\n";

constexpr char ToBinaryHelp[] =
    "Reads FILE (\"-\": standard input) as markup text and writes its document to\n"
    "OUT as one binary node record: the root element AbsoluteRoot with every\n"
    "top-level node as its child. OUT is replaced only once the whole record is\n"
    "on the disk, so a failed write leaves it as it was; \"-\" as OUT writes the\n"
    "record to standard output. from-binary prints it back as print prints FILE.\n"
    "With --xml, FILE is read as standard XML 1.0, and from-binary --xml writes it\n"
    "back as such.\n";

constexpr char FromBinaryHelp[] =
    "Reads FILE (\"-\": standard input), which must hold exactly one binary node\n"
    "record, and prints the tree as indented text, written as it goes. A\n"
    "document root as to-binary writes it (AbsoluteRoot with nothing but\n"
    "children) is left out, so the text reads as print's; any other top node is\n"
    "printed itself. Reports the first error as FILE: byte N: message.\n"
    "With --xml, each node is written as standard XML 1.0 instead (no declaration,\n"
    "the bytes as the record holds them; --utf8 does not convert them). A tree XML\n"
    "cannot hold (a name XML does not allow, a data bracket, a control character)\n"
    "is refused before anything is written, naming the node by its path.\n";

constexpr char CheckHelp[] =
    "Reads each FILE (\"-\": standard input) once and prints \"FILE: ok (markup\n"
    "text, N elements)\" or \"FILE: ok (binary node stream, N elements)\" when it\n"
    "holds no error and at least one element. Otherwise reports its first\n"
    "error (or that it holds no element) on standard error:\n"
    "FILE:LINE:COLUMN: message for markup text, FILE: byte N: message for a\n"
    "binary node stream, and goes on with the next FILE.\n"
    "FILE is a binary node stream when its first byte is 0x01 or 0x02 (a record\n"
    "opens with its type tag, 1 or 2, as four little-endian bytes), and markup\n"
    "text otherwise, so markup text opening with such a byte is read as binary\n"
    "(print reads it as markup). Markup text holding a zero byte or opening with\n"
    "a UTF-16 or UTF-32 byte-order mark is refused.\n"
    "With --xml, each FILE is read as standard XML 1.0 and reported as \"FILE: ok\n"
    "(XML, N elements)\"; the first well-formedness error is reported as\n"
    "FILE:LINE:COLUMN: message, the message naming the broken rule and its section\n"
    "of XML 1.0. An empty file, or one of plain text, holds no root element and is\n"
    "refused.\n";

constexpr char XmlOption[] =
    "  --xml     read standard XML 1.0 instead of the library's markup text\n";
constexpr char XmlWritingOption[] =
    "  --xml     read and write standard XML 1.0 instead of the library's markup\n"
    "            text\n";
constexpr char XmlRecordOption[] =
    "  --xml     write the tree as standard XML 1.0 instead of indented text\n";

constexpr char CheckExitStatus[] =
    "Exit status: 0 every FILE was accepted, 1 one or more were refused or could\n"
    "not be read, 2 the command line was wrong.\n";

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
    "  --utf8    the terminal speaks UTF-8: TEXT, given or read from standard\n"
    "            input, is read as UTF-8, and everything written is UTF-8.\n"
    "            Without it all text is GB2312 bytes, as the library holds them,\n"
    "            but for messages on standard error, which follow the locale\n"
    "            (UTF-8 in a UTF-8 one). Files are GB2312 always, standard input\n"
    "            read as a FILE (\"-\") too.\n"
    "  --help    show this help, or after a command that command's help\n"
    "  --        end the options: what follows is an argument even if it begins\n"
    "            with \"-\"\n";

constexpr char ExitStatusHelp[] =
    "Exit status: 0 success, 1 the input was refused or a file (standard input\n"
    "too: closed, a directory, or named twice) could not be read or written, 2 the\n"
    "command line was wrong.\n";

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
        << (command.takesLaunch ? " [--launch]" : "") << (command.takesXml ? " [--xml]" : "")
        << " [--utf8] " << command.operands << "\n"
        << command.moreUsage << "\n"
        << command.help << "\nOptions:\n"
        << command.options << OptionsHelp << '\n'
        << (command.exitStatus ? command.exitStatus : ExitStatusHelp);
    return out.str();
}

// Reports a wrong command line with a pointer to the help, and gives the exit code.
int usageError(Terminal& terminal, const char* command, const std::string& problem) {
    const std::string program =
        command ? std::string(ProgramName) + " " + command : std::string(ProgramName);
    terminal.report(program + ": " + terminal.messageFromArgument(problem));
    terminal.report("Try '" + program + " --help'.");
    return ExitUsage;
}

int usageError(Terminal& terminal, const Command* command, const std::string& problem) {
    return usageError(terminal, command ? command->name : nullptr, problem);
}

// How many operands the command takes with these options, and how its usage names them.
struct OperandRule {
    size_t fewest;
    size_t most;
    const char* shown;
};

OperandRule operandRule(const Command& command, const Invocation& invocation) {
    if (invocation.make)
        return {1, AnyNumber, "NAME=VALUE..."};
    return {command.fewestOperands, command.mostOperands, command.operands};
}

// The brace command's options choose what it does, at most one of them;
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

int runInvocation(const Invocation& invocation, Terminal& terminal) {
    const Command* command = findCommand(invocation.command);
    if (!invocation.unknownOption.empty())
        return usageError(terminal, command, "unknown option '" + invocation.unknownOption + "'");
    if (invocation.command.empty() && invocation.help) {
        terminal.write(overviewHelp());
        return ExitSuccess;
    }
    if (invocation.command.empty())
        return usageError(terminal, static_cast<const char*>(nullptr), "no command given");
    if (!command)
        return usageError(terminal, static_cast<const char*>(nullptr),
                          "unknown command '" + invocation.command + "'");
    if (invocation.help) {
        terminal.write(commandHelp(*command));
        return ExitSuccess;
    }
    if (const char* problem = wrongOption(*command, invocation))
        return usageError(terminal, command, problem);
    const OperandRule rule = operandRule(*command, invocation);
    if (invocation.operands.size() < rule.fewest || invocation.operands.size() > rule.most)
        return usageError(terminal, command, std::string("expects ") + rule.shown);
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

}  // namespace tarvik::tool
