#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "host/launch_parameters.h"
#include "host/launcher_texts.h"
#include "support/debug_capture.h"
#include "xml/document.h"

namespace {

struct IntakeCase {
    const wchar_t* commandLine;
    const char* url;
    const char* connstate;
    int32_t waitClose;
};

constexpr int32_t Max32 = std::numeric_limits<int32_t>::max();
constexpr int32_t Min32 = std::numeric_limits<int32_t>::min();

const IntakeCase IntakeCases[] = {
    {L"url='a b', connstate=abc, waitClose=0", "a b", "abc", 0},
    {L"(url=x, waitClose=0x1F)", "x", "", 31},
    {L"{url=x}", "x", "", 1},
    {L"(url=x) -- a comment", "x", "", 1},
    {L"(url=x) ", "x", "", 1},
    {L"(url=x),", "", "", 1},  // the root gets [1]='' and becomes the parameter element
    {L"url=x", "x", "", 1},
    {L"url=x, waitClose=abc", "x", "", 0},
    {L"url=x, waitClose=0X10", "x", "", 0},
    {L"url=x, waitClose=-7", "x", "", -7},
    {L"url=x, waitClose=' +12abc'", "x", "", 12},
    {L"url=x, waitClose=0x", "x", "", 0},
    {L"url=x, waitClose=0xfg", "x", "", 15},
    {L"url=x, waitClose=99999999999", "x", "", Max32},
    {L"url=x, waitClose=-99999999999", "x", "", Min32},
    {L"url=x, waitClose=0xFFFFFFFFFF", "x", "", Max32},
    {L"url=x, waitClose=0x80000000", "x", "", Max32},
    {L"url=x, waitClose=2147483647", "x", "", Max32},
    {L"url=x, url=y, connstate=1, connstate=2", "x", "1", 1},
    {L"url=x, (", "x", "", 1},  // refused text: what was read before the error counts
    {L"url=x, g=(url=y)", "x", "", 1},
    {L"a=1, (url=y)", "", "", 1},     // a root with attributes is the parameter element
    {L"(url=y) (url=z)", "", "", 1},  // two groups: the root is the parameter element
    {L"", "", "", 1},
    {L"   ", "", "", 1},
    {L"url=", "", "", 1},
    {L"url=, connstate=5", "", "5", 1},
};

TEST(LaunchParameters, IntakeTable) {
    for (const IntakeCase& c : IntakeCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.commandLine)));
        LaunchParameters parameters;
        testing_support::captureDebugOutput(
            [&] { parameters = readLaunchParameters(c.commandLine); });
        EXPECT_EQ(parameters.url, c.url);
        EXPECT_EQ(parameters.connstate, c.connstate);
        EXPECT_EQ(parameters.waitClose, c.waitClose);
    }
}

TEST(LaunchParameters, ReadFromAParsedDocumentAsFromTheCommandLine) {
    for (const IntakeCase& c : IntakeCases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.commandLine)));
        CodePageString text(c.commandLine);
        text.toNarrow();
        tarvik::xml::XMLDocument document;
        testing_support::captureDebugOutput([&] { document.parseBrace(text.narrow.c_str()); });
        const LaunchParameters parameters = launchParametersOf(document);
        EXPECT_EQ(parameters.url, c.url);
        EXPECT_EQ(parameters.connstate, c.connstate);
        EXPECT_EQ(parameters.waitClose, c.waitClose);
    }
}

TEST(LaunchParameters, NullCommandLineHasNoUrl) {
    const LaunchParameters parameters = readLaunchParameters(nullptr);
    EXPECT_TRUE(parameters.url.empty());
    EXPECT_EQ(parameters.waitClose, 1);
}

// 中文 in GB2312 and as wide characters.
constexpr char ChineseNarrow[] = "\xD6\xD0\xCE\xC4";
constexpr wchar_t ChineseWide[] = L"\u4E2D\u6587";

TEST(LaunchParameters, ChineseValuesArriveAsGb2312) {
    const LaunchParameters parameters =
        readLaunchParameters(L"url='http://\u6E38\u620F.cn/\u4E2D\u6587', connstate=\u4E2D\u6587");
    // 游戏 = D3 CE CF B7
    EXPECT_EQ(parameters.url, "http://\xD3\xCE\xCF\xB7.cn/\xD6\xD0\xCE\xC4");
    EXPECT_EQ(parameters.connstate, ChineseNarrow);
}

TEST(CodePageString, ConvertsBothWays) {
    CodePageString fromNarrow(ChineseNarrow);
    EXPECT_EQ(fromNarrow.wide, ChineseWide);
    EXPECT_TRUE(fromNarrow.narrow.empty());
    fromNarrow.toNarrow();
    EXPECT_EQ(fromNarrow.narrow, ChineseNarrow);

    CodePageString fromWide(ChineseWide);
    EXPECT_EQ(fromWide.wide, ChineseWide);
    EXPECT_TRUE(fromWide.narrow.empty());
    fromWide.toNarrow();
    EXPECT_EQ(fromWide.narrow, ChineseNarrow);
}

TEST(CodePageString, NullAndEmpty) {
    EXPECT_TRUE(CodePageString(static_cast<const char*>(nullptr)).wide.empty());
    EXPECT_TRUE(CodePageString(static_cast<const wchar_t*>(nullptr)).wide.empty());
    CodePageString empty("");
    empty.toNarrow();
    EXPECT_TRUE(empty.wide.empty());
    EXPECT_TRUE(empty.narrow.empty());
}

TEST(CodePageString, UnconvertibleInputIsReplacedNotDropped) {
    // A lone lead byte at the end, and a character GBK lacks (U+1F600).
    CodePageString truncated("ab\xD6");
    EXPECT_EQ(truncated.wide.substr(0, 2), L"ab");
    EXPECT_EQ(truncated.wide.size(), 3u);
    CodePageString emoji(L"a\U0001F600b");
    emoji.toNarrow();
    ASSERT_GE(emoji.narrow.size(), 3u);
    EXPECT_EQ(emoji.narrow.front(), 'a');
    EXPECT_EQ(emoji.narrow.back(), 'b');
}

// 中文 in UTF-8.
constexpr char ChineseUtf8[] = "\xE4\xB8\xAD\xE6\x96\x87";

TEST(CodePageString, Utf8ToNarrowAndBack) {
    EXPECT_EQ(utf8ToNarrow(std::string("a ") + ChineseUtf8), std::string("a ") + ChineseNarrow);
    EXPECT_EQ(narrowToUtf8(ChineseNarrow), ChineseUtf8);
    EXPECT_EQ(utf8ToNarrow(""), "");
}

TEST(CodePageString, Utf8ThatGb2312LacksIsReplaced) {
    // U+1F600 has no GB2312 form; 0xFF is never UTF-8.
    const std::string emoji = utf8ToNarrow(std::string("a\xF0\x9F\x98\x80") + "b");
    ASSERT_GE(emoji.size(), 3u);
    EXPECT_EQ(emoji.front(), 'a');
    EXPECT_EQ(emoji.back(), 'b');
    EXPECT_NE(emoji.find('?'), std::string::npos);
    const std::string invalid = utf8ToNarrow(std::string("a\xFF") + "b");
    EXPECT_EQ(invalid.front(), 'a');
    EXPECT_EQ(invalid.back(), 'b');
    EXPECT_NE(invalid.find('?'), std::string::npos);
}

TEST(LaunchParameters, StartupErrorShowsCommandLineThenMessage) {
    // On Windows this shows a real message box: the Wine suite dismisses it there.
    if (!testing_support::DebugOutputIsCapturable)
        GTEST_SKIP() << "covered end to end under Wine";
    const std::string output =
        testing_support::captureDebugOutput([] { reportStartupError(L"connstate=\u4E2D\u6587"); });
    const size_t commandLine = output.find("connstate=\xE4\xB8\xAD\xE6\x96\x87");  // UTF-8
    const size_t message = output.find(narrowToUtf8(StartupErrorText));
    ASSERT_NE(commandLine, std::string::npos);
    ASSERT_NE(message, std::string::npos);
    EXPECT_LT(commandLine, message);
    EXPECT_NE(output.find("\xE7\xA8\x8B\xE5\xBA\x8F"), std::string::npos);  // 程序 in UTF-8
}

}  // namespace
