// The tool's commands: brace, print, to-binary, from-binary and check.
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
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "help_text.h"
#include "host/code_page_string.h"
#include "host/launch_parameters.h"
#include "host/launcher_texts.h"
#include "platform.h"
#include "tool.h"
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

// The operand that stands for standard input, or for standard output as OUT.
constexpr char StandardInputOperand[] = "-";
constexpr const char* StandardOutputOperand = StandardInputOperand;
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

}  // namespace

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

// ------------------------------------------------------------ files

namespace {

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

}  // namespace

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

}  // namespace tarvik::tool
