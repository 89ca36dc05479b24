// Start-up under every kind of command line: without a url the launcher
// shows its error box, sends the command line to the debugger output and ends
// with exit code 0, creating no window and never asking the game core for an
// object. Bad input of any kind ends one way or the other, never in a crash
// or a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "host/code_page_string.h"
#include "host/launcher_texts.h"
#include "host/window_messages.h"
#include "launcher_run.h"
#include "log_lines.h"
#include "run_checks.h"
#include "window_search.h"

namespace {

// The caption a message box gets when it is given none.
constexpr wchar_t DefaultBoxCaption[] = L"Error";

std::string ascii(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

std::vector<std::wstring> childTexts(HWND window) {
    std::vector<std::wstring> texts;
    for (HWND child : childWindows(window))
        texts.push_back(windowText(child));
    return texts;
}

bool contains(const std::vector<std::wstring>& texts, const std::wstring& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Starts one launcher per command line, side by side: each of them may sit
// in an error box until the test answers it.
std::vector<std::unique_ptr<LauncherRun>> startAll(const std::vector<std::wstring>& commandLines,
                                                   bool asDebugger) {
    std::vector<std::unique_ptr<LauncherRun>> runs;
    for (const std::wstring& commandLine : commandLines)
        runs.push_back(std::make_unique<LauncherRun>(LaunchOptions{commandLine, "", asDebugger}));
    return runs;
}

// Command lines that carry no url (ASCII, so the debugger output, which
// Wine delivers in the ANSI code page, can be compared byte for byte).
const std::vector<std::wstring> WithoutUrl = {
    L"connstate=2, waitClose=0",
    L"",
    L"(url=x),",  // the root gets an indexed attribute and is itself the parameter element
    L"url=, connstate=5",
    L"a=1, (url=y)",  // a root with attributes is the parameter element
};

TEST(Startup, WithoutUrlShowsTheErrorBoxAndEndsWithZero) {
    const std::wstring errorText = CodePageString(StartupErrorText).wide;
    std::vector<std::unique_ptr<LauncherRun>> runs = startAll(WithoutUrl, true);
    for (size_t index = 0; index < runs.size(); ++index) {
        LauncherRun& run = *runs[index];
        SCOPED_TRACE("command line: " + ascii(WithoutUrl[index]));
        ASSERT_TRUE(run.created());

        const HWND box = waitForTopLevel(run.processId(), DialogClass, nullptr, StartTimeoutMs);
        ASSERT_NE(box, nullptr) << "no error box";
        ASSERT_TRUE(waitUntilDialogReady(box, 2, StartTimeoutMs));
        EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
        EXPECT_EQ(windowText(box), DefaultBoxCaption);
        const std::vector<std::wstring> texts = childTexts(box);
        EXPECT_TRUE(contains(texts, errorText)) << "the box does not show the error text";
        EXPECT_TRUE(contains(texts, L"OK"));
        EXPECT_EQ(findTopLevel(run.processId(), LauncherClass), nullptr);
        EXPECT_TRUE(run.running()) << "the box must hold the launcher until it is answered";

        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(run.waitForExit());
        EXPECT_EQ(run.exitCode(), 0u);
        EXPECT_TRUE(run.log().empty()) << "the game core was asked for an object";
        if (!WithoutUrl[index].empty()) {
            EXPECT_TRUE(contains(run.debugOutput(), ascii(WithoutUrl[index])))
                << "the command line is not on the debugger output";
        }
    }
}

TEST(Startup, WithUrlSendsNothingToTheDebuggerOutput) {
    LauncherRun run({L"url=x, connstate=2, waitClose=0", "", true});
    ASSERT_TRUE(run.waitUntilStarted());
    ASSERT_TRUE(endsWithZeroAfter(run, run.gameWindow(), QuitMessage));
    EXPECT_TRUE(run.debugOutput().empty());
}

// Ends a run that either started or stopped at the error box; returns
// whether it started.
bool finish(LauncherRun& run) {
    for (ULONGLONG deadline = GetTickCount64() + StartTimeoutMs; GetTickCount64() < deadline;
         Sleep(25)) {
        if (HWND box = findTopLevel(run.processId(), DialogClass)) {
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return false;
        }
        if (run.waitUntilStarted(0)) {
            PostMessageW(run.gameWindow(), QuitMessage, 0, 0);
            return true;
        }
        if (!run.running())
            return false;
    }
    return false;
}

// How a run with a bad command line has to end.
enum class Outcome { ErrorBox, Starts, Either };

struct BadCase {
    std::wstring commandLine;
    Outcome outcome;
};

// Starts every case side by side, answers each error box or quits each game,
// and expects every run to end as its case says, with exit code 0.
void expectEachEndsAsItShould(const std::vector<BadCase>& cases) {
    std::vector<std::unique_ptr<LauncherRun>> runs;
    for (const BadCase& c : cases)
        runs.push_back(std::make_unique<LauncherRun>(LaunchOptions{c.commandLine, "", false}));
    for (size_t index = 0; index < cases.size(); ++index) {
        SCOPED_TRACE("case " + std::to_string(index));
        LauncherRun& run = *runs[index];
        ASSERT_TRUE(run.created());
        const bool started = finish(run);
        if (cases[index].outcome != Outcome::Either) {
            EXPECT_EQ(started, cases[index].outcome == Outcome::Starts);
        }
        ASSERT_TRUE(run.waitForExit());
        EXPECT_EQ(run.exitCode(), 0u);
    }
}

TEST(Startup, BadCommandLinesNeverCrashOrHang) {
    const std::vector<BadCase> cases = {
        {L"((((((((((((", Outcome::ErrorBox},
        {L"))))", Outcome::ErrorBox},
        {L"=,=,=", Outcome::ErrorBox},
        {L"url='unterminated", Outcome::Either},
        {L"url=x, (", Outcome::Starts},  // what was read before the parse error counts
        {L"\u4E2D\u6587\U0001F600", Outcome::ErrorBox},
        {L"url=x, waitClose=99999999999", Outcome::Starts},
        // Only one enclosing group is looked into.
        {std::wstring(2000, L'(') + L"url=x" + std::wstring(2000, L')'), Outcome::ErrorBox},
        {L"url='" + std::wstring(5000, L'a') + L"'", Outcome::Starts},
        {std::wstring(20000, L','), Outcome::ErrorBox},
        {L"\t\t url=x \t", Outcome::Starts},  // blanks after the program name are skipped
    };
    expectEachEndsAsItShould(cases);
}

// The longest command line CreateProcess takes, terminator included.
constexpr size_t MaxCommandLineChars = 32767;

// Arguments that fill the command line to the last character the platform allows.
size_t longestArguments() {
    return MaxCommandLineChars - fullCommandLine(L"x").size();
}

// Random brace text of exactly `length` characters, built from the pieces
// the notation gives meaning to, some GB2312 text, and characters GB2312
// lacks.
std::wstring randomBraceText(uint32_t seed, size_t length) {
    static const wchar_t* const pieces[] = {
        L"url",        L"connstate", L"waitClose", L"=",    L"(",
        L")",          L"{",         L"}",         L",",    L";",
        L"'",          L"''",        L"--",        L" ",    L"\n",
        L"\r",         L"\t",        L"x",         L"0x1F", L"\u4E2D\u6587",
        L"\U0001F600", L"\uE000",    L"\xD800"};
    std::mt19937 random(seed);
    std::uniform_int_distribution<size_t> pick(0, sizeof pieces / sizeof pieces[0] - 1);
    std::wstring text;
    while (text.size() < length)
        text += pieces[pick(random)];
    text.resize(length);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF)
        text.back() = L'x';  // never cut a character in half at the very end
    return text;
}

// Command lines at the platform's limit, and characters that have no GB2312
// form (unpaired surrogates, private use): each run either starts or stops at
// the error box, and ends with exit code 0.
TEST(Startup, HostileCommandLinesAtThePlatformLimit) {
    const size_t longest = longestArguments();
    const std::wstring withUrl = L"url=x, ";  // a url first: start-up has to go on
    std::vector<BadCase> cases;
    for (uint32_t seed = 1; seed <= 3; ++seed)
        cases.push_back({randomBraceText(seed, longest), Outcome::Either});
    cases.push_back({withUrl + randomBraceText(4, longest - withUrl.size()), Outcome::Starts});
    cases.push_back({std::wstring(longest, L'('), Outcome::ErrorBox});
    cases.push_back({withUrl + std::wstring(longest - withUrl.size(), L'{'), Outcome::Starts});
    cases.push_back({L"url='" + std::wstring(longest - 5, L'\u4E2D'), Outcome::Starts});
    cases.push_back({L"url=\xD800x, connstate=\xDC00", Outcome::Starts});
    cases.push_back({L"url=\uE000", Outcome::Starts});
    cases.push_back({L"\xDBFF", Outcome::ErrorBox});
    ASSERT_EQ(fullCommandLine(cases.front().commandLine).size() + 1, MaxCommandLineChars);
    expectEachEndsAsItShould(cases);
}

}  // namespace
