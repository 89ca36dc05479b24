#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "support/text_checks.h"
#include "xml/document.h"
#include "xml/messages.h"
#include "xml/search.h"

using tarvik::xml::findAfter;
using tarvik::xml::findText;
using tarvik::xml::SkipTable;
using tarvik::xml::XMLException;
using testing_support::exactCopy;
using testing_support::thrownMessage;
namespace messages = tarvik::xml::messages;

namespace {

// Where std::string::find says the pattern first occurs, or -1.
long long expectedIndex(const std::string& text, const std::string& pattern) {
    if (pattern.empty())
        return -1;  // the library never finds the empty pattern
    const size_t at = text.find(pattern);
    return at == std::string::npos ? -1 : static_cast<long long>(at);
}

long long indexOf(const char* found, const char* text) {
    return found ? found - text : -1;
}

TEST(SkipTable, ShiftsOfTheCommentTerminator) {
    SkipTable table;
    table.build("-->", 3);
    EXPECT_EQ(table.length, 3);
    EXPECT_EQ(table.cap, 3);
    // "-" stands at 0 and 1; the later one wins. ">" ends the pattern only.
    EXPECT_EQ(table.shift[static_cast<unsigned char>('-')], 1);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('>')], 3);
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != '-') {
            EXPECT_EQ(table.shift[byte], 3) << byte;
        }
    }
}

TEST(SkipTable, LastByteCountsOnlyWhereItAlsoStandsEarlier) {
    SkipTable table;
    table.build("abcab", 5);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('a')], 1);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('b')], 3);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('c')], 2);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('z')], 5);
    // Bytes from 0x80 up index the table as unsigned values.
    table.build("\xD6\xD0\xCE\xC4", 4);
    EXPECT_EQ(table.shift[0xD6], 3);
    EXPECT_EQ(table.shift[0xCE], 1);
    EXPECT_EQ(table.shift[0xC4], 4);
}

TEST(SkipTable, EmptyPatternHasCapZeroAndIsNeverFound) {
    SkipTable table;
    table.build("", 0);
    EXPECT_EQ(table.cap, 0);
    EXPECT_EQ(table.search("abc", 3), nullptr);
    table.build("x", -4);
    EXPECT_EQ(table.length, 0);
    EXPECT_EQ(table.search("x", 1), nullptr);
}

// Patterns past 255 bytes keep shifts no larger than is safe: a byte that
// stands only near the end must not move the pattern by the full cap.
TEST(SkipTable, LongPatternsShiftSafely) {
    const std::string pattern = std::string(254, 'a') + 'z' + std::string(44, 'a') + 'y';
    SkipTable table;
    table.build(pattern.c_str(), static_cast<int32_t>(pattern.size()));
    EXPECT_EQ(table.length, 300);
    EXPECT_EQ(table.cap, 255);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('z')], 45);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('a')], 1);
    EXPECT_EQ(table.shift[static_cast<unsigned char>('q')], 255);
    // A text that puts "z" under the pattern's last byte just before the match.
    const std::string text = std::string(300, 'a') + pattern + "tail";
    EXPECT_EQ(indexOf(table.search(text.c_str(), static_cast<int32_t>(text.size())), text.c_str()),
              expectedIndex(text, pattern));
}

struct SearchCase {
    const char* text;
    int32_t count;  // bytes handed to SkipTable::search
    const char* pattern;
    int expected;  // index of the match, -1 for none
};

const SearchCase SearchCases[] = {
    {"abcabd", 6, "abd", 3},
    {"aaaa", 4, "aa", 0},
    {"abcabd", 5, "abd", -1},  // the match would end past `count`
    {"ab", 2, "abc", -1},      // pattern longer than the text
    {"abc", 0, "a", -1},       // nothing to search
    {"abc", -3, "a", -1},      // a negative count searches nothing
    {"abc", 3, "c", 2},        // one byte through the table as well
    {"xx-->", 5, "-->", 2},    // a partial match at "x-" moves on by the shift of "-"
    {"---->", 5, "-->", 2},    // repeated first bytes: leftmost full match
    {"a\0bc", 4, "bc", 2},     // a NUL inside `count` is an ordinary byte
    {"<![CDATA[x]]>", 13, "]]>", 10},
};

TEST(SkipTable, SearchTable) {
    for (const SearchCase& c : SearchCases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        SkipTable table;
        table.build(c.pattern, static_cast<int32_t>(std::strlen(c.pattern)));
        EXPECT_EQ(indexOf(table.search(c.text, c.count), c.text), c.expected);
    }
}

TEST(SkipTable, SearchReadsOnlyCountBytes) {
    // No NUL at all: only `count` bytes exist.
    const char bytes[] = {'x', 'y', 'z', '-', '-', '>'};
    auto buffer = std::make_unique<char[]>(sizeof bytes);
    std::memcpy(buffer.get(), bytes, sizeof bytes);
    SkipTable table;
    table.build("-->", 3);
    EXPECT_EQ(table.search(buffer.get(), sizeof bytes), buffer.get() + 3);
    EXPECT_EQ(table.search(buffer.get(), sizeof bytes - 1), nullptr);
}

TEST(SkipTable, SearchNearTheLargestCountStaysInTheText) {
#if defined(__linux__)
    // The last step from within one shift of INT32_MAX must not wrap around
    // to before the text. The bytes: a reservation of zeros, never backed.
    const auto bytes = static_cast<std::size_t>(INT32_MAX);
    void* zeros =
        mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);
    const std::string pattern(300, 'x');
    SkipTable table;
    table.build(pattern.data(), static_cast<int32_t>(pattern.size()));
    EXPECT_EQ(table.search(static_cast<const char*>(zeros), INT32_MAX), nullptr);
    munmap(zeros, bytes);
#else
    GTEST_SKIP() << "needs a large reservation (mmap)";
#endif
}

struct FindCase {
    const char* text;
    const char* pattern;
    int expected;  // index of the match, -1 for none
};

const FindCase FindCases[] = {
    {"abcabd", "abd", 3},
    {"aaaa", "aa", 0},
    {"ab", "abc", -1},
    {"abc", "", -1},
    {"", "", -1},
    {"", "a", -1},
    {"", "-->", -1},
    {"x<y", "<", 1},
    {"xyz", "<", -1},
    {"a--b-->c-->", "-->", 4},
    {"]]]>", "]]>", 1},
    {"\xD6\xD0\xCE\xC4\xD6\xD0", "\xCE\xC4", 2},  // 中文中: GB2312 bytes as they stand
    {"|data]]x|data]]", "x|data]]", 7},
};

TEST(FindText, Table) {
    for (const FindCase& c : FindCases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        const auto text = exactCopy(c.text);
        EXPECT_EQ(indexOf(findText(text.get(), c.pattern), text.get()), c.expected);
    }
}

TEST(FindText, NullTextOrPatternIsNeverFound) {
    EXPECT_EQ(findText(nullptr, "a"), nullptr);
    EXPECT_EQ(findText(nullptr, "-->"), nullptr);
    EXPECT_EQ(findText("abc", nullptr), nullptr);
}

TEST(FindAfter, YieldsThePositionAfterTheMatch) {
    const char* text = "abcabd";
    EXPECT_EQ(findAfter(text, "abd"), text + std::strlen(text));
    const char* oneByte = "ab\"cd\"";
    EXPECT_EQ(findAfter(oneByte, "\""), oneByte + 3);
    const char* comment = "x -- y --> z -->";
    EXPECT_EQ(findAfter(comment, "-->"), comment + 10);
}

TEST(FindAfter, ThrowsTagNotClosedWhenNothingMatches) {
    for (const FindCase& c : FindCases) {
        if (c.expected >= 0)
            continue;
        SCOPED_TRACE(std::string(c.text) + " / " + c.pattern);
        const auto text = exactCopy(c.text);
        EXPECT_EQ(thrownMessage([&] { findAfter(text.get(), c.pattern); }), messages::TagNotClosed);
    }
}

TEST(FindAfter, NullTextGivesNullWithoutThrowing) {
    EXPECT_EQ(findAfter(nullptr, "-->"), nullptr);
    EXPECT_EQ(findAfter(nullptr, "<"), nullptr);
}

// Window starts of the search: each window moves on by a step that begins at
// 128 bytes and doubles up to 64 KiB, so they start at 128 * (2^k - 1) and
// then every 64 KiB.
std::vector<size_t> windowStarts(size_t below) {
    std::vector<size_t> starts;
    for (size_t start = 0, step = 128; start < below;
         start += step, step = std::min<size_t>(step * 2, 65536))
        starts.push_back(start);
    return starts;
}

// Matches on and around every window edge, in short and long texts, must come
// out where std::string::find finds them.
TEST(FindText, MatchesAcrossWindowEdgesAreFound) {
    constexpr size_t Length = 300000;
    constexpr size_t Around = 12;  // longer than every pattern below
    for (const std::string pattern : {"-->", "]]>", "|data]]", "<![CDATA[", "ab"}) {
        for (size_t length : {pattern.size(), size_t{135}, size_t{400}, Length}) {
            auto text = exactCopy(std::string(length, '.'));
            for (size_t edge : windowStarts(length)) {
                for (size_t at = edge > Around ? edge - Around : 0;
                     at <= edge + Around && at + pattern.size() <= length; ++at) {
                    std::memcpy(text.get() + at, pattern.data(), pattern.size());
                    const char* found = findText(text.get(), pattern.c_str());
                    std::memset(text.get() + at, '.', pattern.size());
                    ASSERT_EQ(indexOf(found, text.get()), static_cast<long long>(at))
                        << pattern << " at " << at << " in " << length;
                }
            }
            EXPECT_EQ(findText(text.get(), pattern.c_str()), nullptr) << pattern << " " << length;
        }
    }
}

// Random texts over the pattern's own bytes are full of partial matches.
TEST(FindText, AgreesWithStringFindOnRandomTexts) {
    std::mt19937 random(20240601u);
    const std::string patterns[] = {
        "-->", "]]>", "?>", "aab", "|data]]", std::string(260, 'a') + "b" + std::string(40, 'a')};
    for (const std::string& pattern : patterns) {
        std::uniform_int_distribution<size_t> pick(0, pattern.size() - 1);
        std::uniform_int_distribution<size_t> size(0, 3000);
        for (int round = 0; round < 300; ++round) {
            std::string text(size(random), ' ');
            for (char& byte : text)
                byte = pattern[pick(random)];
            const auto copy = exactCopy(text);
            ASSERT_EQ(indexOf(findText(copy.get(), pattern.c_str()), copy.get()),
                      expectedIndex(text, pattern))
                << pattern.substr(0, 10) << " round " << round;
        }
    }
}

TEST(FindText, PatternLongerThanTextIsNotFoundWithoutOverreading) {
    const auto text = exactCopy("<!-");
    EXPECT_EQ(findText(text.get(), "<!--"), nullptr);
    EXPECT_THROW(findAfter(text.get(), "<!--"), XMLException);
    const std::string longPattern(1000, 'a');
    const auto shortText = exactCopy(std::string(999, 'a'));
    EXPECT_EQ(findText(shortText.get(), longPattern.c_str()), nullptr);
}

}  // namespace
