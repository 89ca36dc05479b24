// One run of the real launcher, as the end-to-end tests drive it: started
// from the copy beside the recording core, with its own log and script, and
// optionally under this process as its debugger so its debugger output can be
// read. The destructor ends a launcher that is still running.
#ifndef ZINDLE_TESTS_E2E_LAUNCHER_RUN_H
#define ZINDLE_TESTS_E2E_LAUNCHER_RUN_H

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// How long a launcher may take to start, or to end once it should: generous,
// because the first start in a fresh Wine prefix is slow.
constexpr DWORD StartTimeoutMs = 60000;
constexpr DWORD ExitTimeoutMs = 20000;

// The whole command line a run passes to CreateProcess: the launcher copy's
// quoted path, then a blank and `arguments` unless they are empty.
std::wstring fullCommandLine(const std::wstring& arguments);

// How a run starts.
struct LaunchOptions {
    std::wstring commandLine;  // what follows the program name
    std::string script;        // the recording core's script (core_script.h)
    bool asDebugger = false;   // collect the launcher's debugger output
};

class LauncherRun {
public:
    explicit LauncherRun(const LaunchOptions& options);
    ~LauncherRun();
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;

    // Whether the process was created.
    bool created() const;
    DWORD processId() const;

    // Waits for the game core's start notice, then finds both windows.
    // Returns false if the launcher did not get that far in time, or ended
    // before it did (and then says so, with its exit code).
    bool waitUntilStarted(DWORD timeoutMs = StartTimeoutMs);
    HWND mainWindow() const { return mainWindow_; }
    HWND gameWindow() const { return gameWindow_; }

    // Waits for the process to end; false on timeout. Then exitCode() holds
    // its exit code and exitedAt() the GetTickCount64() of its end.
    bool waitForExit(DWORD timeoutMs = ExitTimeoutMs);
    bool running() const;
    DWORD exitCode() const;
    ULONGLONG exitedAt() const;

    // The recording core's complete log lines so far.
    std::vector<std::string> log() const;
    // Waits until the log holds `line` (`count` times); false on timeout, or
    // at once when the launcher has ended without writing it.
    bool waitForLine(const std::string& line, DWORD timeoutMs = ExitTimeoutMs,
                     size_t count = 1) const;

    // Posts RelayToCoreMessage with a fresh marker to the game window and
    // waits until the core has seen it: everything posted before has then
    // been handled. Returns false on timeout.
    bool sync();

    // The texts the launcher sent to the debugger output (asDebugger only),
    // complete once the process has ended.
    std::vector<std::string> debugOutput() const;

private:
    struct Debugger;

    bool startDirectly(const std::wstring& commandLine, std::vector<wchar_t>& environment);

    std::wstring logPath_;
    PROCESS_INFORMATION process_ = {};
    std::unique_ptr<Debugger> debugger_;
    HWND mainWindow_ = nullptr;
    HWND gameWindow_ = nullptr;
    ULONGLONG exitedAt_ = 0;
};

#endif  // ZINDLE_TESTS_E2E_LAUNCHER_RUN_H
