// Test helper: runs a program as a separate process with given arguments and
// standard input, and collects its exit code, standard output and standard
// error. On POSIX systems through posix_spawn; on Windows (and under Wine)
// through CreateProcessW.
#ifndef TESTS_TOOL_RUN_PROGRAM_H
#define TESTS_TOOL_RUN_PROGRAM_H

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <windows.h>

#include "host/code_page_string.h"

// The Windows C runtime has no mkdtemp; the fixtures make their folder with
// this one, which fills in the pattern's trailing XXXXXX as mkdtemp does.
inline char* mkdtemp(char* pattern) {
    if (_mktemp(pattern) == nullptr || _mkdir(pattern) != 0)
        return nullptr;
    return pattern;
}

// Nor setenv and unsetenv; the tool started next inherits what these set.
inline int setenv(const char* name, const char* value, int) {
    return _putenv_s(name, value);
}
inline int unsetenv(const char* name) {
    return _putenv_s(name, "");
}
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;
#endif

namespace testing_support {

// What a finished run left behind.
struct ProgramRun {
    int exitCode;  // the exit status, or -signal for a program killed by a signal
    std::string out;
    std::string err;
};

// Longest a single run may take before it counts as hung and is killed; far
// above what any run needs, even under the sanitizers or Wine.
constexpr std::chrono::seconds RunTimeLimit{60};

// A temporary file that holds `content` and is removed with this object.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& content = std::string()) {
        std::string pattern = testing::TempDir() + "tarvik-run-XXXXXX";
        const int fd = mkstemp(&pattern[0]);
        if (fd < 0)
            throw std::runtime_error("cannot create a temporary file");
        close(fd);
        path_ = pattern;
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TemporaryFile() { std::remove(path_.c_str()); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }
    std::string content() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

// The child's standard streams: input from a file, output and error to files,
// so that neither output can block the other or the child block on a pipe.
struct StandardFiles {
    TemporaryFile in, out, err;
    explicit StandardFiles(const std::string& input) : in(input) {}
};

// Starts `program` with `arguments` (after its name) and the given standard
// files, and waits for it up to RunTimeLimit; sets `exitCode`. False when it
// could not be started.
inline bool runAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const StandardFiles& files, int& exitCode);

// Whether a command line can carry `arguments` as they are. A POSIX argv is
// bytes; a Windows command line is characters, so there only text in the
// arguments' code page (see argumentCodePage) can: bytes that are not
// GB2312 have no characters of their own there.
inline bool commandLineCanCarry(const std::vector<std::string>& arguments);

// Runs `program` with `arguments` (after its name) and `input` as standard
// input.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& input) {
    StandardFiles files(input);
    int exitCode = 0;
    if (!runAndWait(program, arguments, files, exitCode))
        return {-1, "", "cannot start " + program};
    return {exitCode, files.out.content(), files.err.content()};
}

#ifdef _WIN32

// Widens text in `codePage`; the default one is what the tool reads its
// arguments as (GB2312), so those bytes arrive unchanged.
inline std::wstring widen(const std::string& bytes, unsigned int codePage = NarrowCodePage) {
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, &wide[0], length);
    return wide;
}

// The code page of the text a test passes: with --utf8 the tool is told the
// terminal speaks UTF-8, so the text is what such a terminal would hand over.
// (A Windows command line holds characters, not bytes.)
inline unsigned int argumentCodePage(const std::vector<std::string>& arguments) {
    const bool utf8 = std::find(arguments.begin(), arguments.end(), "--utf8") != arguments.end();
    return utf8 ? CP_UTF8 : NarrowCodePage;
}

// Code page 936's byte ranges: a byte below 0x80 is ASCII; any other starts
// a pair, whose second byte is 0x40-0xFE but not 0x7F.
constexpr unsigned char FirstNonAsciiByte = 0x80;
constexpr unsigned char FirstLeadByte = 0x81;
constexpr unsigned char LastLeadByte = 0xFE;
constexpr unsigned char FirstTrailByte = 0x40;
constexpr unsigned char LastTrailByte = 0xFE;
constexpr unsigned char NoTrailByte = 0x7F;

// Whether `bytes` are text in code page 936 (GBK, of which GB2312 is part).
inline bool isCodePage936(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < FirstNonAsciiByte)
            continue;
        if (lead < FirstLeadByte || lead > LastLeadByte || i + 1 == bytes.size())
            return false;
        const auto trail = static_cast<unsigned char>(bytes[++i]);
        if (trail < FirstTrailByte || trail > LastTrailByte || trail == NoTrailByte)
            return false;
    }
    return true;
}

inline bool commandLineCanCarry(const std::vector<std::string>& arguments) {
    const unsigned int codePage = argumentCodePage(arguments);
    for (const std::string& argument : arguments) {
        const bool text =
            codePage == CP_UTF8
                ? argument.empty() ||
                      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, argument.data(),
                                          static_cast<int>(argument.size()), nullptr, 0) > 0
                : isCodePage936(argument);
        if (!text)
            return false;
    }
    return true;
}

// CMake gives a Unix path, which Wine maps onto drive Z:; a Windows path
// stays as it is.
inline std::wstring windowsPath(const std::string& path) {
    std::wstring wide = widen(path);
    if (wide.empty() || wide[0] != L'/')
        return wide;
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    return L"Z:" + wide;
}

// Quotes one word of a command line so that CommandLineToArgvW and the C
// runtime split it back out as it was: inside quotes, backslashes are literal
// except in front of a quote, where each one and the quote need a backslash.
inline std::wstring quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return word;
    std::wstring line = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        const size_t escapes = c == L'"' ? 2 * backslashes + 1 : backslashes;
        line.append(escapes, L'\\');
        line += c;
        backslashes = 0;
    }
    // The closing quote follows: the backslashes before it are doubled.
    line.append(2 * backslashes, L'\\');
    return line + L"\"";
}

// A handle the child inherits, on one of the standard files; closed with this object.
class InheritedFile {
public:
    InheritedFile(const std::string& path, DWORD access) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        handle_ = CreateFileW(widen(path).c_str(), access, share, &inherit, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~InheritedFile() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    InheritedFile(const InheritedFile&) = delete;
    InheritedFile& operator=(const InheritedFile&) = delete;

    HANDLE handle() const { return handle_; }

private:
    HANDLE handle_;
};

// Waits for `process` up to RunTimeLimit; terminates it past that.
inline DWORD waitOrTerminate(HANDLE process) {
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(RunTimeLimit);
    if (WaitForSingleObject(process, static_cast<DWORD>(limit.count())) == WAIT_TIMEOUT) {
        ADD_FAILURE() << "the program did not finish in time and was terminated";
        TerminateProcess(process, EXIT_FAILURE);
        WaitForSingleObject(process, INFINITE);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

inline bool runAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const StandardFiles& files, int& exitCode) {
    const std::wstring application = windowsPath(program);
    std::wstring commandLine = quoted(application);
    const unsigned int codePage = argumentCodePage(arguments);
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(widen(argument, codePage));

    const InheritedFile in(files.in.path(), GENERIC_READ);
    const InheritedFile out(files.out.path(), GENERIC_WRITE);
    const InheritedFile err(files.err.path(), GENERIC_WRITE);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.handle();
    startup.hStdOutput = out.handle();
    startup.hStdError = err.handle();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    exitCode = static_cast<int>(waitOrTerminate(process.hProcess));
    CloseHandle(process.hProcess);
    return true;
}

#else

inline bool commandLineCanCarry(const std::vector<std::string>&) {
    return true;  // argv is bytes
}

// How often a running program is looked at.
constexpr std::chrono::milliseconds PollInterval{5};

// Waits for `child` up to RunTimeLimit; kills it past that. Returns its status.
inline int waitOrKill(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + RunTimeLimit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the program did not finish in time and was killed";
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            break;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    return status;
}

inline bool runAndWait(const std::string& program, const std::vector<std::string>& arguments,
                       const StandardFiles& files, int& exitCode) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, files.in.path().c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, files.out.path().c_str(), O_WRONLY,
                                     0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, files.err.path().c_str(), O_WRONLY,
                                     0);

    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);

    pid_t child = 0;
    const int failure =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        return false;
    const int status = waitOrKill(child);
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return true;
}

#endif

}  // namespace testing_support

#endif  // TESTS_TOOL_RUN_PROGRAM_H
