// End-to-end tests of the tarvik-xml tool: each case runs the built program
// with its arguments and standard input, and checks the exit code and what
// came out on standard output and standard error.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tool.h"
#include "host/launcher_texts.h"
#include "run_program.h"
#include "xml/document.h"
#include "xml/file.h"
#include "xml/messages.h"

namespace {

namespace messages = tarvik::xml::messages;
using testing_support::ProgramRun;

// The program under test; CMake passes its path.
constexpr char ToolPath[] = TARVIK_XML_TOOL;

// The exit codes the tool promises.
constexpr int Success = 0;
constexpr int InputError = 1;
constexpr int UsageError = 2;

// 中文 and 游戏 in GB2312 and in UTF-8.
constexpr char ChineseGb2312[] = "\xD6\xD0\xCE\xC4";
constexpr char ChineseUtf8[] = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr char GameGb2312[] = "\xD3\xCE\xCF\xB7";
constexpr char GameUtf8[] = "\xE6\xB8\xB8\xE6\x88\x8F";
// Library messages in UTF-8, as --utf8 shows them.
constexpr char BracketMismatchUtf8[] =
    "\xE6\x8B\xAC\xE5\x8F\xB7\xE4\xB8\x8D\xE5\x8C\xB9\xE9\x85\x8D";  // 括号不匹配
constexpr char TagNotClosedUtf8[] =
    "\xE6\xA0\x87\xE7\xAD\xBE\xE6\x9C\xAA\xE6\xAD\xA3\xE7\xA1\xAE\xE5\x85\xB3\xE9\x97\xAD";  // 标签未正确关闭
constexpr char StreamTruncatedUtf8[] =
    "\xE6\x95\xB0\xE6\x8D\xAE\xE6\xB5\x81\xE4\xB8\x8D\xE5\xAE\x8C\xE6\x95\xB4";  // 数据流不完整

// A markup file with every kind of node, and how print shows it: one
// top-level node per line group, one tab per level, CDATA after its
// parent's tabs and its own, then an empty line.
const std::string GoodMarkup = std::string(
                                   "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
                                   "<game title=\"") +
                               ChineseGb2312 +
                               "\">\n"
                               "\t<server url=\"http://game.example/\" port=\"80\"/>\n"
                               "\t<motd>[[data|1 < 2|data]]</motd>\n"
                               "\t<![CDATA[raw <bytes>]]>\n"
                               "</game>\n"
                               "<second/>\n";
// A standard XML file (UTF-8, references, single quotes, mixed content), and
// how print --xml writes it back.
const std::string GoodXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<game title=\"Tom &amp; Jerry\" name='\xE4\xB8\xAD'>\n"
    "  <motd>1 &lt; 2</motd>\n"
    "  <p>Hello <b>bold</b> tail</p>\n"
    "</game>\n";
const std::string GoodXmlWritten =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<game title=\"Tom &amp; Jerry\" name=\"\xE4\xB8\xAD\">\n"
    "\t<motd>1 &lt; 2</motd>\n"
    "\t<p>Hello <b>bold</b> tail</p>\n"
    "</game>\n";

// How the tool says that a file it cannot open is missing.
constexpr char NoSuchFile[] = " (No such file or directory)\n";
// How it says that an earlier "-" took standard input.
constexpr char AlreadyRead[] = " (already read for an earlier \"-\")\n";

const std::string GoodText = std::string("<game title=\"") + ChineseGb2312 +
                             "\">\n"
                             "\t<server url=\"http://game.example/\" port=\"80\"></server>\n"
                             "\t<motd>[[data|1 < 2|data]]</motd>\n"
                             "\t\t<![CDATA[raw <bytes>]]>\n"
                             "\n"
                             "</game>\n"
                             "<second></second>\n";

// Every integer in a binary node record (tag, length, count) takes 4 bytes.
constexpr size_t RecordIntegerSize = 4;

// What brace prints for the text t=VALUE.
std::string rootWithT(const std::string& value) {
    return "<AbsoluteRoot t=\"" + value + "\"></AbsoluteRoot>\n";
}

// A launch text with a url and a connstate holding `game` and `chinese`, and
// the lines --launch shows for it.
std::string launchLine(const std::string& game, const std::string& chinese) {
    return "url='http://" + game + ".cn/', connstate=" + chinese;
}
std::string launchShown(const std::string& game, const std::string& chinese) {
    return "url: 'http://" + game + ".cn/'\nconnstate: '" + chinese + "'\n";
}

// The variable that chooses every part of the locale, and the locale that
// names no character set, so messages stay GB2312.
constexpr char LocaleVariable[] = "LC_ALL";
constexpr char ClassicLocale[] = "C";
// 无法打开文件 in UTF-8.
constexpr char CannotOpenFileUtf8[] =
    "\xE6\x97\xA0\xE6\xB3\x95\xE6\x89\x93\xE5\xBC\x80\xE6\x96\x87\xE4\xBB\xB6";

// One expectation on a stream's bytes.
struct Expect {
    bool whole;  // the stream must be exactly `text`; otherwise it must contain it
    std::string text;
};
Expect equals(std::string text) {
    return {true, std::move(text)};
}
Expect contains(std::string text) {
    return {false, std::move(text)};
}
const Expect Nothing = {true, ""};

void check(const std::string& stream, const Expect& expect, const char* name) {
    if (expect.whole)
        EXPECT_EQ(stream, expect.text) << "on " << name;
    else
        EXPECT_NE(stream.find(expect.text), std::string::npos)
            << "on " << name << ": " << testing::PrintToString(stream) << "\n  lacks "
            << testing::PrintToString(expect.text);
}

// One run of the tool. An argument "@name" stands for the fixture file `name`.
struct ToolCase {
    const char* what;
    std::vector<std::string> arguments;
    std::string input;
    int exitCode;
    Expect out;
    Expect err;
};

class TarvikXmlTool : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // Messages follow the locale: the tables expect GB2312 ones, as the
        // C locale gives, unless a case sets its own.
        setenv(LocaleVariable, ClassicLocale, 1);
        std::string pattern = testing::TempDir() + "tarvik-xml-tool-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        directory_ = pattern;
        write("good.xml", GoodMarkup);
        write("empty.xml", "");
        write("words.txt", "just words, no markup\n");
        write("text-then-cdata.xml", "<a>hello <![CDATA[x]]></a>\n");
        write("utf8.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a t=\"") +
                              ChineseUtf8 + "\"/>\n");
        write("unclosed.xml", "<a>\n<b>\n");
        write("single-quoted.xml", "<a>\n\t<b c='d'/>\n</a>\n");
        write("standard.xml", GoodXml);
        write("mismatched.xml", "<a>\n  <b></c>\n</a>\n");
        goodBinary_ = binaryOf(GoodMarkup);
        write("good.bin", goodBinary_);
        write("truncated.bin", goodBinary_.substr(0, goodBinary_.size() - 1));
        write("trailing.bin", goodBinary_ + "x");
        // Type tag 0x501: its first byte says "binary", its value names no node.
        const std::string unknownTag("\x01\x05\x00\x00", RecordIntegerSize);
        write("unknown-tag.bin", unknownTag + goodBinary_.substr(RecordIntegerSize));
        // A bracket whose low byte, the one print writes, is zero.
        tarvik::xml::XMLElement zeroBracket("a");
        zeroBracket.dataBracket = 0x100;
        zeroBracket.text = "x";
        std::ostringstream zeroOut(std::ios::binary);
        zeroBracket.writeBinary(zeroOut);
        write("zero-bracket.bin", zeroOut.str());
    }
    static void TearDownTestSuite() {
        if (!directory_.empty())
            std::filesystem::remove_all(directory_);
    }

    static std::string path(const std::string& name) { return directory_ + "/" + name; }
    static void write(const std::string& name, const std::string& bytes) {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    static std::string read(const std::string& name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The binary record of a markup text's document root, as the library writes it.
    static std::string binaryOf(const std::string& markup) {
        tarvik::xml::XMLDocument document;
        document.parseMarkup(markup.c_str());
        std::ostringstream out(std::ios::binary);
        document.root().writeBinary(out);
        return out.str();
    }

    // What the tool reports for truncated.bin: its last field, the last
    // child's 4-byte child count, is cut short.
    static std::string truncatedReport() {
        return path("truncated.bin") + ": byte " +
               std::to_string(goodBinary_.size() - RecordIntegerSize) + ": " +
               messages::StreamTruncated + "\n";
    }

    static ProgramRun run(std::vector<std::string> arguments, const std::string& input = "") {
        for (std::string& argument : arguments) {
            if (argument.size() > 1 && argument[0] == '@')
                argument = path(argument.substr(1));
        }
        return testing_support::runProgram(ToolPath, arguments, input);
    }

    static void runTable(const std::vector<ToolCase>& cases) {
        for (const ToolCase& c : cases) {
            SCOPED_TRACE(c.what);
            if (!testing_support::commandLineCanCarry(c.arguments)) {
                std::cout << "[  SKIPPED ] " << c.what
                          << ": no Windows command line holds those bytes\n";
                continue;
            }
            const ProgramRun result = run(c.arguments, c.input);
            EXPECT_EQ(result.exitCode, c.exitCode);
            check(result.out, c.out, "standard output");
            check(result.err, c.err, "standard error");
        }
    }

    static inline std::string directory_;   // the fixture files, for the whole suite
    static inline std::string goodBinary_;  // the record of GoodMarkup's document
};

// ------------------------------------------------------------ usage and help

TEST_F(TarvikXmlTool, WrongCommandLinesExitWithUsageAndAHint) {
    runTable({
        {"no command",
         {},
         "",
         UsageError,
         Nothing,
         equals("tarvik-xml: no command given\nTry 'tarvik-xml --help'.\n")},
        {"unknown command",
         {"frobnicate"},
         "",
         UsageError,
         Nothing,
         equals("tarvik-xml: unknown command 'frobnicate'\nTry 'tarvik-xml --help'.\n")},
        {"unknown option",
         {"--bogus"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml: unknown option '--bogus'\n")},
        {"unknown option after a command",
         {"print", "-x", "@good.xml"},
         "",
         UsageError,
         Nothing,
         equals("tarvik-xml print: unknown option '-x'\nTry 'tarvik-xml print --help'.\n")},
        {"print without a file",
         {"print"},
         "",
         UsageError,
         Nothing,
         equals("tarvik-xml print: expects FILE\nTry 'tarvik-xml print --help'.\n")},
        {"print with two files",
         {"print", "@good.xml", "@good.xml"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml print: expects FILE\n")},
        {"to-binary without OUT",
         {"to-binary", "@good.xml"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml to-binary: expects FILE OUT\n")},
        {"from-binary without a file",
         {"from-binary"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml from-binary: expects FILE\n")},
        {"check without a file",
         {"check"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml check: expects FILE...\n")},
        {"brace without a text",
         {"brace"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml brace: expects TEXT|-\n")},
        {"--launch on another command",
         {"check", "--launch", "@good.xml"},
         "",
         UsageError,
         Nothing,
         contains("--launch belongs to the brace command")},
        {"--xml on the brace command",
         {"brace", "--xml", "a=1"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml brace: --xml belongs to print, to-binary, from-binary and check\n")},
        {"--make without a pair",
         {"brace", "--make"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml brace: expects NAME=VALUE...\n")},
        {"--make with an operand that is no pair",
         {"brace", "--make", "a=1", "b"},
         "",
         UsageError,
         Nothing,
         contains("tarvik-xml brace: expects NAME=VALUE, not 'b'\n")},
    });
}

TEST_F(TarvikXmlTool, HelpGoesToStandardOutput) {
    runTable({
        {"overview",
         {"--help"},
         "",
         Success,
         contains("Usage: tarvik-xml [--utf8] COMMAND ARGUMENTS...\n"),
         Nothing},
        {"short form", {"-h"}, "", Success, contains("Exit status: 0 success"), Nothing},
        {"brace",
         {"brace", "--help"},
         "",
         Success,
         contains("Usage: tarvik-xml brace [--launch] [--utf8] TEXT|-\n"),
         Nothing},
        {"print",
         {"print", "--help"},
         "",
         Success,
         contains("Usage: tarvik-xml print [--xml] [--utf8] FILE\n"),
         Nothing},
        {"to-binary",
         {"--help", "to-binary"},
         "",
         Success,
         contains("Usage: tarvik-xml to-binary [--xml] [--utf8] FILE OUT\n"),
         Nothing},
        {"from-binary",
         {"from-binary", "-h"},
         "",
         Success,
         contains("Usage: tarvik-xml from-binary [--xml] [--utf8] FILE\n"),
         Nothing},
        {"check tells what --xml does",
         {"check", "--help"},
         "",
         Success,
         contains("  --xml     read standard XML 1.0 instead of the library's markup text\n"),
         Nothing},
        {"check tells how it tells the forms apart",
         {"check", "--help"},
         "",
         Success,
         contains("first byte is 0x01 or 0x02"),
         Nothing},
    });
    const std::string overview = run({"--help"}).out;
    for (const char* command : {"brace TEXT|-", "print FILE", "to-binary FILE OUT",
                                "from-binary FILE", "check FILE", "--utf8"})
        EXPECT_NE(overview.find(command), std::string::npos) << command;
}

// ------------------------------------------------------------ brace

TEST_F(TarvikXmlTool, BracePrintsTheRootAndItsTree) {
    runTable({
        {"named values",
         {"brace", "url='a b', connstate=2"},
         "",
         Success,
         equals("<AbsoluteRoot url=\"a b\" connstate=\"2\"></AbsoluteRoot>\n"),
         Nothing},
        {"a group",
         {"brace", "x = (a, b)"},
         "",
         Success,
         equals("<AbsoluteRoot>\n\t<x [1]=\"a\" [2]=\"b\"></x>\n</AbsoluteRoot>\n"),
         Nothing},
        {"standard input, comments included",
         {"brace", "-"},
         "-- launch parameters\nurl = x\n",
         Success,
         equals("<AbsoluteRoot url=\"x\"></AbsoluteRoot>\n"),
         Nothing},
        {"a text that begins with -- after the end of options",
         {"brace", "--", "-- c\nurl=y"},
         "",
         Success,
         equals("<AbsoluteRoot url=\"y\"></AbsoluteRoot>\n"),
         Nothing},
        {"an empty text",
         {"brace", ""},
         "",
         Success,
         equals("<AbsoluteRoot></AbsoluteRoot>\n"),
         Nothing},
        {"GB2312 bytes pass through",
         {"brace", std::string("t=") + ChineseGb2312},
         "",
         Success,
         equals(rootWithT(ChineseGb2312)),
         Nothing},
        {"a refused text keeps what came before",
         {"brace", "url = x, y = (a = 1"},
         "",
         InputError,
         equals("<AbsoluteRoot url=\"x\"></AbsoluteRoot>\n"),
         equals(std::string("tarvik-xml: the brace text is refused: ") + messages::BracketMismatch +
                " (the tree holds what came before the error)\n")},
        {"a stray closing bracket ends the text",
         {"brace", "url = x) connstate = 1"},
         "",
         Success,
         equals("<AbsoluteRoot url=\"x\"></AbsoluteRoot>\n"),
         Nothing},
    });
}

TEST_F(TarvikXmlTool, MakeAndFormatWriteBraceNotation) {
    runTable({
        {"pairs in order, quoted where needed",
         {"brace", "--make", "b=2", "a=x y", "c=it's", "d=", "e=(1)", "=f"},
         "",
         Success,
         equals("b=2, a='x y', c=it's, d=, e='(1)', =f\n"),
         Nothing},
        {"a value the notation cannot hold",
         {"brace", "--make", "a=--x"},
         "",
         InputError,
         Nothing,
         equals(std::string("tarvik-xml: /AbsoluteRoot[1]@a: ") + messages::BraceCommentMarker +
                "\n")},
        {"a byte the launcher would turn into ?",
         {"brace", "--make", "url=a\xFF"},
         "",
         InputError,
         Nothing,
         contains("tarvik-xml: the launcher would not read url as given")},
        {"the canonical form",
         {"brace", "--format", "x = (a, b q) y= 'it''s'"},
         "",
         Success,
         equals("y=it's, x=([1]=a, [2]=q, b)\n"),
         Nothing},
    });
}

TEST_F(TarvikXmlTool, LaunchShowsWhatTheLauncherTakes) {
    runTable({
        {"all three on the root",
         {"brace", "--launch", "url='a b', connstate=abc, waitClose=0"},
         "",
         Success,
         contains("url: 'a b'\nconnstate: 'abc'\nwaitClose: 0 (a close request quits at once)\n"
                  "start-up: goes on\n"),
         Nothing},
        {"one group, hexadecimal waitClose",
         {"brace", "(url=x, waitClose=0x1F)", "--launch"},
         "",
         Success,
         contains("url: 'x'\nconnstate: (not given)\nwaitClose: 31 (a close request goes to "
                  "the game core first)\nstart-up: goes on\n"),
         Nothing},
        {"quotes are shown doubled",
         {"brace", "--launch", "url='it''s'"},
         "",
         Success,
         contains("url: 'it''s'\n"),
         Nothing},
        {"a comma after the group hides the url",
         {"brace", "--launch", "(url=x),"},
         "",
         InputError,
         contains(std::string("url: (not given)\nconnstate: (not given)\nwaitClose: 1 (a close "
                              "request goes to the game core first)\nstart-up: stops without a "
                              "url: the launcher shows \"") +
                  StartupErrorText + "\" and exits with code 0\n"),
         Nothing},
        {"a refused text still starts with what came before",
         {"brace", "--launch", "url=x, ("},
         "",
         InputError,
         contains("url: 'x'\nconnstate: (not given)\nwaitClose: 1"),
         contains(messages::BracketMismatch)},
        {"bytes that are not GB2312 arrive as the launcher's conversion leaves them",
         {"brace", "--launch", "url=a\xFF"},
         "",
         Success,
         contains("url: 'a?'\n"),
         Nothing},
        {"the tree comes first",
         {"brace", "--launch", "url=x"},
         "",
         Success,
         contains("<AbsoluteRoot url=\"x\"></AbsoluteRoot>\nurl: 'x'\n"),
         Nothing},
        {"the reported case: a zero byte on standard input is refused, not the end",
         {"brace", "--launch", "-"},
         std::string("url=a\0, connstate=(", 19),
         InputError,
         Nothing,
         equals(std::string("-: byte 5: ") + messages::ZeroByteInFile + "\n")},
    });
}

// ------------------------------------------------------------ files

TEST_F(TarvikXmlTool, PrintShowsEachTopLevelNode) {
    runTable({
        {"every kind of node", {"print", "@good.xml"}, "", Success, equals(GoodText), Nothing},
        {"an empty file", {"print", "@empty.xml"}, "", Success, Nothing, Nothing},
        {"a tree whose text would not read back, as saveMarkupFile refuses it",
         {"print", "@text-then-cdata.xml"},
         "",
         InputError,
         Nothing,
         equals(path("text-then-cdata.xml") + ": /a[1]: " + messages::TextBeforeCData + "\n")},
        {"--xml writes standard XML back",
         {"print", "--xml", "@standard.xml"},
         "",
         Success,
         equals(GoodXmlWritten),
         Nothing},
        {"--xml from standard input, with --utf8 leaving it as it is",
         {"--utf8", "print", "--xml", "-"},
         GoodXml,
         Success,
         equals(GoodXmlWritten),
         Nothing},
        {"--xml names the broken rule",
         {"print", "--xml", "@mismatched.xml"},
         "",
         InputError,
         Nothing,
         equals(path("mismatched.xml") + ":2:6: " + messages::XmlEndTagMismatch + "\n")},
        {"an element left open",
         {"print", "@unclosed.xml"},
         "",
         InputError,
         Nothing,
         equals(path("unclosed.xml") + ":2:1: " + messages::TagNotClosed + "\n")},
        {"a missing file",
         {"print", "@missing.xml"},
         "",
         InputError,
         Nothing,
         equals(path("missing.xml") + ": " + messages::CannotOpenFile + NoSuchFile)},
    });
}

TEST_F(TarvikXmlTool, FromBinaryPrintsTheRecord) {
    runTable({
        {"a document root reads as print",
         {"from-binary", "@good.bin"},
         "",
         Success,
         equals(GoodText),
         Nothing},
        {"--xml refuses a data bracket, naming the node",
         {"from-binary", "--xml", "@good.bin"},
         "",
         InputError,
         Nothing,
         equals("/game[1]/motd[2]: " + std::string(messages::XmlDataBracketNotWritable) + "\n")},
        {"a record cut short",
         {"from-binary", "@truncated.bin"},
         "",
         InputError,
         Nothing,
         equals(truncatedReport())},
        {"markup text is no record",
         {"from-binary", "@good.xml"},
         "",
         InputError,
         Nothing,
         equals(path("good.xml") + ": byte 0: " + messages::UnknownNodeType + "\n")},
        {"a missing file",
         {"from-binary", "@missing.bin"},
         "",
         InputError,
         Nothing,
         contains(messages::CannotOpenFile)},
    });
}

TEST_F(TarvikXmlTool, FromBinaryPrintsAnyOtherTopNodeItself) {
    tarvik::xml::XMLElement solo("solo");
    solo.appendAttribute(tarvik::xml::XMLAttribute("a", ChineseGb2312));
    tarvik::xml::saveBinary(solo, path("solo.bin"));
    const ProgramRun result = run({"from-binary", "@solo.bin"});
    EXPECT_EQ(result.exitCode, Success);
    EXPECT_EQ(result.out, std::string("<solo a=\"") + ChineseGb2312 + "\"></solo>\n");
}

TEST_F(TarvikXmlTool, ToBinaryWritesTheDocumentRoot) {
    std::filesystem::remove(path("written.bin"));
    const ProgramRun result = run({"to-binary", "@good.xml", "@written.bin"});
    EXPECT_EQ(result.exitCode, Success);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read("written.bin"), goodBinary_);

    runTable({
        {"a refused file writes nothing",
         {"to-binary", "@unclosed.xml", "@refused.bin"},
         "",
         InputError,
         Nothing,
         contains(messages::TagNotClosed)},
        {"an unwritable OUT",
         {"to-binary", "@good.xml", "@no-such-folder/out.bin"},
         "",
         InputError,
         Nothing,
         equals(path("no-such-folder/out.bin") + ": " + messages::CannotWriteFile + NoSuchFile)},
    });
    EXPECT_FALSE(std::filesystem::exists(path("refused.bin")));
}

TEST_F(TarvikXmlTool, MarkupThroughBinaryAndBackPrintsTheSame) {
    const std::string printed = run({"print", "@good.xml"}).out;
    ASSERT_EQ(run({"to-binary", "@good.xml", "@round.bin"}).exitCode, Success);
    EXPECT_EQ(run({"from-binary", "@round.bin"}).out, printed);

    // The printed text reads back into the same record.
    write("printed.xml", printed);
    ASSERT_EQ(run({"to-binary", "@printed.xml", "@again.bin"}).exitCode, Success);
    EXPECT_EQ(read("again.bin"), read("round.bin"));
}

TEST_F(TarvikXmlTool, XmlThroughBinaryAndBackWritesTheSame) {
    ASSERT_EQ(run({"to-binary", "--xml", "@standard.xml", "@standard.bin"}).exitCode, Success);
    const ProgramRun back = run({"from-binary", "--xml", "@standard.bin"});
    EXPECT_EQ(back.exitCode, Success);
    // The record holds no head, so no declaration comes back.
    EXPECT_EQ(back.out, GoodXmlWritten.substr(GoodXmlWritten.find('\n') + 1));
}

TEST_F(TarvikXmlTool, CheckReportsTheFirstErrorWithItsPlace) {
    runTable({
        {"markup text",
         {"check", "@good.xml"},
         "",
         Success,
         equals(path("good.xml") + ": ok (markup text, 4 elements)\n"),
         Nothing},
        {"an empty file holds no element",
         {"check", "@empty.xml"},
         "",
         InputError,
         Nothing,
         equals(path("empty.xml") + ": " + messages::NoElement + "\n")},
        {"nor does plain text",
         {"check", "@words.txt"},
         "",
         InputError,
         Nothing,
         equals(path("words.txt") + ": " + messages::NoElement + "\n")},
        {"a binary node stream",
         {"check", "@good.bin"},
         "",
         Success,
         equals(path("good.bin") + ": ok (binary node stream, 4 elements)\n"),
         Nothing},
        {"line and column in markup",
         {"check", "@single-quoted.xml"},
         "",
         InputError,
         Nothing,
         equals(path("single-quoted.xml") + ":2:7: " + messages::AttributeMissingQuote + "\n")},
        {"an element left open",
         {"check", "@unclosed.xml"},
         "",
         InputError,
         Nothing,
         equals(path("unclosed.xml") + ":2:1: " + messages::TagNotClosed + "\n")},
        {"--xml: standard XML",
         {"check", "--xml", "@standard.xml"},
         "",
         Success,
         equals(path("standard.xml") + ": ok (XML, 4 elements)\n"),
         Nothing},
        {"--xml: an empty file holds no root element",
         {"check", "--xml", "@empty.xml"},
         "",
         InputError,
         Nothing,
         equals(path("empty.xml") + ":1:1: " + messages::XmlNoRootElement + "\n")},
        {"--xml: the markup dialect's escape is a bare <",
         {"check", "--xml", "@good.xml"},
         "",
         InputError,
         Nothing,
         equals(path("good.xml") + ":4:17: " + messages::XmlBareLessThan + "\n")},
        {"--xml: a mismatched end tag",
         {"check", "--xml", "@mismatched.xml"},
         "",
         InputError,
         Nothing,
         equals(path("mismatched.xml") + ":2:6: " + messages::XmlEndTagMismatch + "\n")},
        {"a byte offset in a binary stream",
         {"check", "@truncated.bin"},
         "",
         InputError,
         Nothing,
         equals(truncatedReport())},
        {"bytes after the record",
         {"check", "@trailing.bin"},
         "",
         InputError,
         Nothing,
         equals(path("trailing.bin") + ": byte " + std::to_string(goodBinary_.size()) + ": " +
                messages::TrailingData + "\n")},
        {"a first byte of 0x01 means binary, whatever follows",
         {"check", "@unknown-tag.bin"},
         "",
         InputError,
         Nothing,
         equals(path("unknown-tag.bin") + ": byte 0: " + messages::UnknownNodeType + "\n")},
        {"a missing file",
         {"check", "@missing.xml"},
         "",
         InputError,
         Nothing,
         equals(path("missing.xml") + ": " + messages::CannotOpenFile + NoSuchFile)},
        {"the reported case: standard input named twice is read once",
         {"check", "-", "-"},
         "<a/>",
         InputError,
         equals("-: ok (markup text, 1 element)\n"),
         equals(std::string("-: ") + messages::CannotOpenFile + AlreadyRead)},
    });
}

// ------------------------------------------------------------ --utf8

TEST_F(TarvikXmlTool, Utf8ConvertsAtTheTerminalOnly) {
    runTable({
        {"a UTF-8 argument is read as GB2312 and shown as UTF-8",
         {"--utf8", "brace", std::string("t=") + ChineseUtf8},
         "",
         Success,
         equals(rootWithT(ChineseUtf8)),
         Nothing},
        {"UTF-8 on standard input",
         {"brace", "-", "--utf8"},
         std::string("t=") + ChineseUtf8,
         Success,
         equals(rootWithT(ChineseUtf8)),
         Nothing},
        {"the launch values",
         {"brace", "--launch", "--utf8", launchLine(GameUtf8, ChineseUtf8)},
         "",
         Success,
         contains(launchShown(GameUtf8, ChineseUtf8)),
         Nothing},
        {"without --utf8 the launch values stay GB2312",
         {"brace", "--launch", launchLine(GameGb2312, ChineseGb2312)},
         "",
         Success,
         contains(launchShown(GameGb2312, ChineseGb2312)),
         Nothing},
        {"a GB2312 file is shown as UTF-8",
         {"print", "--utf8", "@good.xml"},
         "",
         Success,
         contains(std::string("<game title=\"") + ChineseUtf8 + "\">\n"),
         Nothing},
        {"a file that declares UTF-8 passes unchanged",
         {"print", "--utf8", "@utf8.xml"},
         "",
         Success,
         equals(std::string("<a t=\"") + ChineseUtf8 + "\"></a>\n"),
         Nothing},
        {"the brace parser's message",
         {"--utf8", "brace", "x = ("},
         "",
         InputError,
         equals("<AbsoluteRoot></AbsoluteRoot>\n"),
         contains(BracketMismatchUtf8)},
        {"--make from UTF-8: the link of the issue",
         {"--utf8", "brace", "--make", "url=https://\xE4\xBE\x8B\xE5\xAD\x90.example/it's here",
          "connstate=2", "waitClose=0"},
         "",
         Success,
         equals("url='https://\xE4\xBE\x8B\xE5\xAD\x90.example/it''s here', connstate=2, "
                "waitClose=0\n"),
         contains("url: 'https://\xE4\xBE\x8B\xE5\xAD\x90.example/it''s here'\nconnstate: '2'\n")},
        {"--make: a character GB2312 lacks",
         {"--utf8", "brace", "--make", "url=\xF0\x9F\x98\x80"},
         "",
         InputError,
         Nothing,
         equals("tarvik-xml: 'url=\xF0\x9F\x98\x80' holds a character GB2312 lacks\n")},
        {"a markup error, the file name as given",
         {"check", "--utf8", "@unclosed.xml"},
         "",
         InputError,
         Nothing,
         equals(path("unclosed.xml") + ":2:1: " + TagNotClosedUtf8 + "\n")},
        {"a binary error",
         {"from-binary", "--utf8", "@truncated.bin"},
         "",
         InputError,
         Nothing,
         contains(StreamTruncatedUtf8)},
        {"a zero byte in the output is kept, and what follows it",
         {"from-binary", "--utf8", "@zero-bracket.bin"},
         "",
         Success,
         contains(std::string("[[data\0x\0data]]</a>", 19)),
         Nothing},
    });
}

// Messages on standard error follow the locale's character set; what goes to
// standard output stays GB2312 without --utf8.
TEST_F(TarvikXmlTool, MessagesFollowTheLocale) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows chooses by the console's code page, not by locale variables";
#endif
    struct Case {
        const char* variable;  // set to `value` for this run; LC_ALL is unset for another
        const char* value;
        ToolCase run;
    };
    const Case cases[] = {
        {"LC_ALL",
         "C.UTF-8",
         {"a UTF-8 locale: the message in UTF-8",
          {"check", "@unclosed.xml"},
          "",
          InputError,
          Nothing,
          equals(path("unclosed.xml") + ":2:1: " + TagNotClosedUtf8 + "\n")}},
        {"LC_ALL",
         "C.UTF-8",
         {"a UTF-8 locale: a file that cannot be opened",
          {"check", "@missing.xml"},
          "",
          InputError,
          Nothing,
          equals(path("missing.xml") + ": " + CannotOpenFileUtf8 + NoSuchFile)}},
        {"LANG",
         "C.UTF-8",
         {"LANG alone chooses too; the data stays GB2312",
          {"brace", std::string("t=") + ChineseGb2312 + ", x=("},
          "",
          InputError,
          contains(ChineseGb2312),
          contains(BracketMismatchUtf8)}},
        {"LC_ALL",
         "C.UTF-8",
         {"a UTF-8 locale: printed data stays GB2312",
          {"print", "@good.xml"},
          "",
          Success,
          contains(std::string("<game title=\"") + ChineseGb2312 + "\">\n"),
          Nothing}},
        {"LC_ALL",
         "zh_CN.GB2312",
         {"a GB2312 locale, or one not installed: GB2312 unchanged",
          {"check", "@unclosed.xml"},
          "",
          InputError,
          Nothing,
          equals(path("unclosed.xml") + ":2:1: " + messages::TagNotClosed + "\n")}},
        {"LC_ALL",
         "en_US.ISO-8859-1",
         {"another character set: GB2312 unchanged",
          {"check", "@unclosed.xml"},
          "",
          InputError,
          Nothing,
          equals(path("unclosed.xml") + ":2:1: " + messages::TagNotClosed + "\n")}},
    };
    for (const Case& c : cases) {
        if (std::string(c.variable) != LocaleVariable)
            unsetenv(LocaleVariable);
        setenv(c.variable, c.value, 1);
        runTable({c.run});
        unsetenv(c.variable);
        setenv(LocaleVariable, ClassicLocale, 1);
    }
}

TEST_F(TarvikXmlTool, Utf8LeavesTheBinaryFormInGb2312) {
    ASSERT_EQ(run({"--utf8", "to-binary", "@good.xml", "@utf8.bin"}).exitCode, Success);
    EXPECT_EQ(read("utf8.bin"), goodBinary_);
}

// ------------------------------------------------------------ reading once, streaming

// Runs `script` with sh, $0 the tool and $1... the arguments ("@name" as run() takes them).
ProgramRun shell(const std::string& script, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-c", script, ToolPath});
    return testing_support::runProgram("/bin/sh", arguments, "");
}

// The reported cases: check read its FILE twice, so from a pipe it checked
// nothing and said ok, and a binary stream from a pipe looked truncated.
TEST_F(TarvikXmlTool, InputsAreReadOnceSoPipesWork) {
#ifdef _WIN32
    GTEST_SKIP() << "the cases are sh pipelines, a FIFO and /dev/stdin, which Windows lacks";
#endif
    const std::string refused = "/dev/stdin:1:6: " + std::string(messages::AttributeMissingQuote);
    struct Case {
        const char* what;
        const char* script;
        std::vector<std::string> arguments;
        int exitCode;
        Expect out;
        Expect err;
    };
    const Case cases[] = {
        {"check of markup from a pipe",
         "printf '<a x=1>' | \"$0\" check /dev/stdin",
         {},
         InputError,
         Nothing,
         equals(refused + "\n")},
        {"check of a record from a pipe",
         "cat \"$1\" | \"$0\" check -",
         {path("good.bin")},
         Success,
         equals("-: ok (binary node stream, 4 elements)\n"),
         Nothing},
        {"print from a pipe",
         "cat \"$1\" | \"$0\" print -",
         {path("good.xml")},
         Success,
         equals(GoodText),
         Nothing},
        {"from-binary from a pipe",
         "cat \"$1\" | \"$0\" from-binary /dev/stdin",
         {path("good.bin")},
         Success,
         equals(GoodText),
         Nothing},
        {"a FIFO",
         "rm -f \"$1\"; mkfifo \"$1\" && { printf '<a/>' > \"$1\" & \"$0\" check \"$1\"; }",
         {path("fifo")},
         Success,
         equals(path("fifo") + ": ok (markup text, 1 element)\n"),
         Nothing},
        {"to-binary to standard output",
         "\"$0\" to-binary - - < \"$1\"",
         {path("good.xml")},
         Success,
         equals(goodBinary_),
         Nothing},
        {"the reported case: to-binary to /dev/stdout, a pipe",
         "\"$0\" to-binary \"$1\" /dev/stdout | cat",
         {path("good.xml")},
         Success,
         equals(goodBinary_),
         Nothing},
        {"to-binary to /dev/fd/N, a pipe",
         "\"$0\" to-binary \"$1\" /dev/fd/3 3>&1 | cat",
         {path("good.xml")},
         Success,
         equals(goodBinary_),
         Nothing},
        // The reported cases: a directory or a closed standard input read as empty and ok.
        {"check of a directory as standard input",
         "\"$0\" check - < \"$1\"",
         {directory_},
         InputError,
         Nothing,
         equals(std::string("-: ") + messages::CannotOpenFile + " (Is a directory)\n")},
        {"print of a closed standard input",
         "\"$0\" print - <&-",
         {},
         InputError,
         Nothing,
         equals(std::string("-: ") + messages::CannotOpenFile + " (Bad file descriptor)\n")},
        {"brace of a directory as standard input",
         "\"$0\" brace - < \"$1\"",
         {directory_},
         InputError,
         Nothing,
         equals(std::string("-: ") + messages::CannotOpenFile + " (Is a directory)\n")},
        {"brace --format of a closed standard input",
         "\"$0\" brace --format - <&-",
         {},
         InputError,
         Nothing,
         equals(std::string("-: ") + messages::CannotOpenFile + " (Bad file descriptor)\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramRun result = shell(c.script, c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        check(result.out, c.out, "standard output");
        check(result.err, c.err, "standard error");
    }
}

// The reported cases: /bin/ls, a PNG and a UTF-16 file passed as markup text.
TEST_F(TarvikXmlTool, CheckTakesSeveralFilesAndSaysWhatEachHolds) {
    write("utf16.xml", std::string("\xFF\xFE<\0a\0/\0>\0", 10));
    write("png.xml", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    std::filesystem::create_directories(path("folder.xml"));
    const ProgramRun result =
        run({"check", "@good.xml", "@utf16.xml", "@png.xml", "@good.bin", "@folder.xml", "@nope"});
    EXPECT_EQ(result.exitCode, InputError);
    EXPECT_EQ(result.out, path("good.xml") + ": ok (markup text, 4 elements)\n" + path("good.bin") +
                              ": ok (binary node stream, 4 elements)\n");
    EXPECT_EQ(result.err, path("utf16.xml") + ": byte 0: " + messages::UnicodeFile + "\n" +
                              path("png.xml") + ": byte 8: " + messages::ZeroByteInFile + "\n" +
                              path("folder.xml") + ": " + messages::CannotOpenFile +
                              " (Is a directory)\n" + path("nope") + ": " +
                              messages::CannotOpenFile + NoSuchFile);
}

// The reported case: print of a 700 KB file nested 30,000 deep took over 5 GB
// before writing a byte. Its output is about depth squared bytes; written as
// it goes, memory stays with the tree. Under a 150 MB address-space bound,
// 12,000 levels (150 MB of output) print whole, with and without --utf8.
TEST_F(TarvikXmlTool, DeepTreesPrintAsTheyGo) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the bound";
#endif
#ifdef _WIN32
    GTEST_SKIP() << "the address-space bound is sh's ulimit, which Windows lacks";
#endif
    constexpr int Depth = 12000;
    std::string deep;
    for (int i = 0; i < Depth; ++i)
        deep += "<n>";
    for (int i = 0; i < Depth; ++i)
        deep += "</n>";
    write("deep.xml", deep);
    const char* script = "ulimit -v 150000 && \"$0\" $2 print \"$1\" | wc -c";
    // Level k opens and closes after k tabs each, the innermost on one line:
    // (Depth - 1)^2 tabs; every level's "<n>", "</n>" and line break, and one
    // more line break after each opening but the innermost.
    const uint64_t levels = Depth;
    const uint64_t expected = (levels - 1) * (levels - 1) + levels * (3 + 4 + 1) + levels - 1;
    for (const char* utf8 : {"", "--utf8"}) {
        SCOPED_TRACE(utf8);
        const ProgramRun result = shell(script, {path("deep.xml"), utf8});
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, std::to_string(expected) + "\n");
    }
}

// Everything written to a stream, and how often it was handed bytes and
// flushed: with no buffer of its own, every write reaches it as one call.
class CountingBuffer : public std::streambuf {
public:
    std::string bytes;
    int writes = 0;
    int flushes = 0;

protected:
    std::streamsize xsputn(const char* data, std::streamsize count) override {
        ++writes;
        bytes.append(data, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        ++writes;
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            bytes.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
    int sync() override {
        ++flushes;
        return 0;
    }
};

// print flushes its stream at every line break; the tool holds its output
// back and hands it to standard output in large pieces, flushed at the end.
TEST_F(TarvikXmlTool, OutputReachesStandardOutputInLargePieces) {
    constexpr int Lines = 20000;
    // At most one write per this many bytes, and a few more for the last piece.
    constexpr std::size_t BytesPerWrite = 32768;
    constexpr int SpareWrites = 4;
    // Once when the run checks that its output went out, once at its end.
    constexpr int Flushes = 2;
    std::string markup = "<list>\n";
    for (int i = 0; i < Lines; ++i)
        markup += "\t<item>entry " + std::to_string(i) + "</item>\n";
    write("long.xml", markup + "</list>\n");
    for (const char* utf8 : {"", "--utf8"}) {
        SCOPED_TRACE(utf8);
        std::vector<std::string> arguments{"print", path("long.xml")};
        if (*utf8)
            arguments.insert(arguments.begin(), utf8);
        CountingBuffer counted;
        std::ostream out(&counted);
        std::istringstream in;
        std::ostringstream err;
        EXPECT_EQ(tarvik::tool::runTool(arguments, in, out, err), Success);
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(counted.bytes, run(arguments).out);
        EXPECT_GT(counted.bytes.size(), markup.size());
        EXPECT_LE(counted.writes,
                  static_cast<int>(counted.bytes.size() / BytesPerWrite) + SpareWrites);
        EXPECT_LE(counted.flushes, Flushes);
    }
}

}  // namespace
