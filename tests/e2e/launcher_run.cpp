#include "launcher_run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <iostream>
#include <mutex>
#include <thread>

#include "host/window_messages.h"
#include "record_format.h"
#include "window_search.h"

namespace {

// The launcher copy the tests run, beside the recording core and this program.
constexpr wchar_t LauncherFileName[] = L"zindleQrvt.exe";

// How often the waits look again.
constexpr DWORD PollIntervalMs = 20;

// How long an unfinished launcher gets to end after TerminateProcess.
constexpr DWORD TerminateWaitMs = 5000;

// Markers for sync(): large numbers no test uses for anything else.
std::atomic<unsigned> nextMarker{700000};

// Room for a path.
constexpr DWORD PathCapacity = 1024;

std::wstring directoryOfThisProgram() {
    wchar_t path[PathCapacity] = {};
    GetModuleFileNameW(nullptr, path, PathCapacity);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::wstring freshLogPath() {
    static std::atomic<unsigned> counter{0};
    wchar_t directory[PathCapacity] = {};
    GetTempPathW(PathCapacity, directory);
    const std::wstring path = std::wstring(directory) + L"zindle-e2e-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(counter++) + L".log";
    DeleteFileW(path.c_str());
    return path;
}

std::wstring widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

bool startsWithIgnoringCase(const wchar_t* text, const wchar_t* prefix) {
    return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

// This process's environment without any recording-core settings, plus the
// given NAME=value entries, as a block for CreateProcessW.
std::vector<wchar_t> environmentWith(const std::vector<std::wstring>& entries) {
    std::vector<wchar_t> block;
    wchar_t* current = GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry; entry += wcslen(entry) + 1) {
        if (startsWithIgnoringCase(entry, L"ZINDLE_RECORD_"))
            continue;
        block.insert(block.end(), entry, entry + wcslen(entry) + 1);
    }
    FreeEnvironmentStringsW(current);
    for (const std::wstring& entry : entries)
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    block.push_back(L'\0');
    return block;
}

std::string readDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    std::string text;
    SIZE_T read = 0;
    if (info.fUnicode) {
        std::wstring wide(info.nDebugStringLength, L'\0');
        ReadProcessMemory(process, info.lpDebugStringData, &wide[0], wide.size() * sizeof(wchar_t),
                          &read);
        text = record::text(wide.c_str());
    } else {
        text.assign(info.nDebugStringLength, '\0');
        ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read);
        text = text.c_str();  // up to the terminator
    }
    return text;
}

}  // namespace

std::wstring fullCommandLine(const std::wstring& arguments) {
    std::wstring line = L"\"" + directoryOfThisProgram() + LauncherFileName + L"\"";
    if (!arguments.empty())
        line += L" " + arguments;
    return line;
}

// Debugging a process is bound to the thread that created it: that thread
// starts the launcher, then serves its debug events until it ends.
struct LauncherRun::Debugger {
    std::thread thread;
    mutable std::mutex mutex;
    std::vector<std::string> output;

    void serve(std::wstring commandLine, std::vector<wchar_t> environment,
               std::promise<PROCESS_INFORMATION> started) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                            DEBUG_ONLY_THIS_PROCESS | CREATE_UNICODE_ENVIRONMENT,
                            environment.data(), nullptr, &startup, &process)) {
            started.set_value(PROCESS_INFORMATION{});
            return;
        }
        started.set_value(process);
        for (bool running = true; running;) {
            DEBUG_EVENT event = {};
            if (!WaitForDebugEvent(&event, INFINITE))
                return;
            running = handle(event, process.hProcess);
        }
    }

    // Handles one debug event and lets the launcher go on; false after its end.
    bool handle(const DEBUG_EVENT& event, HANDLE process) {
        DWORD continuation = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                CloseHandle(event.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                CloseHandle(event.u.LoadDll.hFile);
                break;
            case OUTPUT_DEBUG_STRING_EVENT: {
                const std::string text = readDebugString(process, event.u.DebugString);
                std::lock_guard<std::mutex> lock(mutex);
                output.push_back(text);
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                // The loader's initial breakpoint is ours to swallow; anything
                // else belongs to the launcher's own handlers.
                if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    continuation = DBG_EXCEPTION_NOT_HANDLED;
                break;
            default:
                break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continuation);
        return event.dwDebugEventCode != EXIT_PROCESS_DEBUG_EVENT;
    }
};

LauncherRun::LauncherRun(const LaunchOptions& options) : logPath_(freshLogPath()) {
    std::vector<std::wstring> entries = {std::wstring(record::LogVariable) + L"=" + logPath_};
    if (!options.script.empty())
        entries.push_back(std::wstring(record::ScriptVariable) + L"=" + widen(options.script));
    std::vector<wchar_t> environment = environmentWith(entries);
    const std::wstring commandLine = fullCommandLine(options.commandLine);

    if (!options.asDebugger) {
        startDirectly(commandLine, environment);
        return;
    }
    debugger_ = std::make_unique<Debugger>();
    std::promise<PROCESS_INFORMATION> started;
    std::future<PROCESS_INFORMATION> process = started.get_future();
    debugger_->thread = std::thread(&Debugger::serve, debugger_.get(), commandLine,
                                    std::move(environment), std::move(started));
    process_ = process.get();
}

bool LauncherRun::startDirectly(const std::wstring& commandLine,
                                std::vector<wchar_t>& environment) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring writable = commandLine;
    return CreateProcessW(nullptr, &writable[0], nullptr, nullptr, FALSE,
                          CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup,
                          &process_) != FALSE;
}

LauncherRun::~LauncherRun() {
    if (running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, TerminateWaitMs);
    }
    if (debugger_ && debugger_->thread.joinable())
        debugger_->thread.join();
    if (testing::Test::HasFailure()) {
        std::cout << "-- recording core log of launcher " << processId() << ":\n";
        for (const std::string& line : log())
            std::cout << "   " << line << "\n";
    }
    if (process_.hProcess)
        CloseHandle(process_.hProcess);
    if (process_.hThread)
        CloseHandle(process_.hThread);
    DeleteFileW(logPath_.c_str());
}

bool LauncherRun::created() const {
    return process_.hProcess != nullptr;
}

DWORD LauncherRun::processId() const {
    return process_.dwProcessId;
}

bool LauncherRun::waitUntilStarted(DWORD timeoutMs) {
    if (!created())
        return false;
    if (!waitForLine(record::message(CoreNotifyMessage, 0, 0), timeoutMs)) {
        // A launcher that cannot open its windows (under Wine: no usable X
        // display) ends at once with exit code 0 and its core never starts.
        if (!running())
            std::cout << "-- launcher " << processId() << " ended with exit code " << exitCode()
                      << " before its game core started\n";
        return false;
    }
    mainWindow_ = findTopLevel(processId(), LauncherClass);
    gameWindow_ =
        mainWindow_ ? FindWindowExW(mainWindow_, nullptr, LauncherClass, nullptr) : nullptr;
    return mainWindow_ && gameWindow_;
}

bool LauncherRun::waitForExit(DWORD timeoutMs) {
    if (!created() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitedAt_ == 0)
        exitedAt_ = GetTickCount64();
    if (debugger_ && debugger_->thread.joinable())
        debugger_->thread.join();  // the last debug events are in
    return true;
}

bool LauncherRun::running() const {
    return created() && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD LauncherRun::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

ULONGLONG LauncherRun::exitedAt() const {
    return exitedAt_;
}

std::vector<std::string> LauncherRun::log() const {
    std::vector<std::string> lines;
    const HANDLE file = CreateFileW(logPath_.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    size_t begin = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', begin)) {
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return lines;  // a line still being written has no '\n' yet and is left out
}

bool LauncherRun::waitForLine(const std::string& line, DWORD timeoutMs, size_t count) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Looked at before the log: once the launcher has ended, the log just
        // read is complete and waiting longer cannot bring the line.
        const bool ended = !running();
        size_t seen = 0;
        for (const std::string& logged : log())
            seen += logged == line ? 1 : 0;
        if (seen >= count)
            return true;
        if (ended || GetTickCount64() >= deadline)
            return false;
        Sleep(PollIntervalMs);
    }
}

bool LauncherRun::sync() {
    const unsigned marker = nextMarker++;
    PostMessageW(gameWindow_, RelayToCoreMessage, marker, 0);
    return waitForLine(record::message(CoreNotifyMessage, marker, 0));
}

std::vector<std::string> LauncherRun::debugOutput() const {
    if (!debugger_)
        return {};
    std::lock_guard<std::mutex> lock(debugger_->mutex);
    return debugger_->output;
}
