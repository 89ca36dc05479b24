// The recording game core of the end-to-end tests, built as zindleCore.dll
// beside a copy of the launcher. It writes every call it receives to the log
// named by ZINDLE_RECORD_LOG (format: record_format.h), checks the GameHost
// record it was handed and that the host calls the object it holds, and runs
// the script in ZINDLE_RECORD_SCRIPT (core_script.h), so a test can drive the
// launcher from inside the game core.
//
// It meets the contract as the closed core does: every slot is a __thiscall
// member function (ZINDLE_THISCALL on i686), the record is read as three
// 32-bit fields and the callback is called by hand with the stack checked
// (host_record.h), never through the launcher's own declarations.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core_script.h"
#include "host/game_core.h"
#include "host/window_messages.h"
#include "host_record.h"
#include "record_format.h"

namespace {

// Longest environment value read (a path or a script).
constexpr DWORD EnvironmentCapacity = 32768;

// The launcher's window class, which the game window must belong to.
constexpr wchar_t LauncherClass[] = L"ZINDLEQRVT";

// Room for a window-class name.
constexpr int ClassNameCapacity = 64;

std::wstring environmentValue(const wchar_t* name) {
    std::vector<wchar_t> value(EnvironmentCapacity, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), EnvironmentCapacity);
    if (length == 0 || length >= EnvironmentCapacity)
        return std::wstring();
    return std::wstring(value.data(), length);
}

// The log, shared by the core and its script threads for the whole process
// (a script thread may outlive the core object).
class RecordLog {
public:
    RecordLog() {
        const std::wstring path = environmentValue(record::LogVariable);
        if (!path.empty())
            file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    // Appends one line; each line is one write, so a reader never sees half a line
    // followed by another writer's text.
    void write(const std::string& line) {
        if (file_ == INVALID_HANDLE_VALUE)
            return;
        const std::string text = line + "\n";
        std::lock_guard<std::mutex> lock(mutex_);
        DWORD written = 0;
        WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::mutex mutex_;
};

RecordLog& recordLog() {
    static RecordLog log;
    return log;
}

std::string narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

void act(const ScriptRule& rule, HWND target, uint32_t repetition) {
    const WPARAM wParam = static_cast<WPARAM>(rule.wParam + repetition);
    const LPARAM lParam = static_cast<LPARAM>(rule.lParam);
    const std::string what = record::messageNumber(rule.message) + " " + std::to_string(wParam) +
                             " " + std::to_string(lParam);
    if (rule.action == ScriptRule::Action::Post) {
        // Logged first: the launcher may be gone by the time PostMessage returns.
        recordLog().write("post " + what);
        if (!PostMessageW(target, rule.message, wParam, lParam))
            recordLog().write("post-failed " + what);
    } else {
        const LRESULT result = SendMessageW(target, rule.message, wParam, lParam);
        recordLog().write("sent " + what + " -> " + std::to_string(result));
    }
}

void run(const ScriptRule& rule, HWND target) {
    if (!rule.deferred()) {
        act(rule, target, 0);
        return;
    }
    std::thread([rule, target] {
        Sleep(rule.afterMs);
        for (uint32_t repetition = 0; repetition < rule.repeat; ++repetition) {
            if (repetition > 0)
                Sleep(rule.everyMs);
            act(rule, target, repetition);
        }
    }).detach();
}

bool isLauncherGameWindow(HWND window) {
    wchar_t className[ClassNameCapacity] = {};
    GetClassNameW(window, className, ClassNameCapacity);
    return IsWindow(window) && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) &&
           lstrcmpW(className, LauncherClass) == 0;
}

// What is wrong with one call of the host's callback; empty when nothing.
std::string checkCallback(GameHost* host, uint32_t first, uint32_t second) {
    const host_record::CallOutcome outcome = host_record::callCallback(host, first, second);
    std::string problems;
    if (outcome.stackDrift != 0)
        problems += "callback-stack-" + std::to_string(outcome.stackDrift) + ",";
    if (outcome.result != 0)
        problems += "callback-not-zero,";
    return problems;
}

// What is wrong with the record the factory was handed; empty when nothing.
std::string checkHostRecord(GameHost* host) {
    if (!host)
        return "null";
    const host_record::Fields fields = host_record::read(host);
    if (fields.callbackTable == 0)
        return "no-callback-table,";
    std::string problems;
    if (fields.game != 0)
        problems += "game-already-set,";
    if (!isLauncherGameWindow(host_record::gameWindow(host)))
        problems += "not-the-game-window,";
    problems += checkCallback(host, 1, 2);
    problems += checkCallback(host, 0xFFFFFFFFu, QuitMessage);
    return problems;
}

class RecordingCore final : public GameCore {
public:
    RecordingCore(GameHost* host, std::vector<ScriptRule> rules)
        : host_(host), rules_(std::move(rules)) {}

    void ZINDLE_THISCALL destroy(int32_t flags) override {
        called(GameCoreSlot::Destroy, std::to_string(flags));
        delete this;
    }
    void ZINDLE_THISCALL initialize() override { called(GameCoreSlot::Initialize); }
    void ZINDLE_THISCALL shutdown() override { called(GameCoreSlot::Shutdown); }
    void ZINDLE_THISCALL applySettings() override { called(GameCoreSlot::ApplySettings); }
    void ZINDLE_THISCALL attachComponent(int32_t kind, int32_t enabled, GameWindowHandle window,
                                         int32_t reserved1, int32_t reserved2) override {
        called(GameCoreSlot::AttachComponent,
               std::to_string(kind) + " " + std::to_string(enabled) + " " + record::window(window) +
                   " " + std::to_string(reserved1) + " " + std::to_string(reserved2));
    }
    void ZINDLE_THISCALL handleMessage(uint32_t message, MessageWParam wParam,
                                       MessageLParam lParam) override {
        checkGame(GameCoreSlot::HandleMessage);
        recordLog().write(record::message(message, wParam, lParam));
        const bool start = message == CoreNotifyMessage && !started_;
        started_ = started_ || start;
        for (const ScriptRule& rule : rules_) {
            const bool fires =
                (rule.trigger == ScriptRule::Trigger::Start && start) ||
                (rule.trigger == ScriptRule::Trigger::Message && rule.triggerMessage == message);
            if (fires)
                run(rule, host_record::gameWindow(host_));
        }
    }
    void ZINDLE_THISCALL unusedSlot6() override { called(GameCoreSlot::Unused6); }
    void ZINDLE_THISCALL unusedSlot7() override { called(GameCoreSlot::Unused7); }
    void ZINDLE_THISCALL unusedSlot8() override { called(GameCoreSlot::Unused8); }
    void ZINDLE_THISCALL setUrl(const wchar_t* url) override {
        called(GameCoreSlot::SetUrl, record::text(url));
    }
    void ZINDLE_THISCALL unusedSlot10() override { called(GameCoreSlot::Unused10); }
    void ZINDLE_THISCALL setConnectionState(const wchar_t* connstate) override {
        called(GameCoreSlot::SetConnectionState, record::text(connstate));
    }
    void ZINDLE_THISCALL setFixedOption12(int32_t value) override {
        called(GameCoreSlot::SetFixedOption12, std::to_string(value));
    }
    void ZINDLE_THISCALL setFixedOption13(int32_t value) override {
        called(GameCoreSlot::SetFixedOption13, std::to_string(value));
    }
    void ZINDLE_THISCALL setFixedOption14(int32_t value) override {
        called(GameCoreSlot::SetFixedOption14, std::to_string(value));
    }
    void ZINDLE_THISCALL setFixedOption15(int32_t value) override {
        called(GameCoreSlot::SetFixedOption15, std::to_string(value));
    }

    // Runs the rules that fire inside the factory.
    void created() {
        for (const ScriptRule& rule : rules_) {
            if (rule.trigger == ScriptRule::Trigger::Create)
                run(rule, host_record::gameWindow(host_));
        }
    }

private:
    void called(GameCoreSlot slot, const std::string& arguments = std::string()) {
        checkGame(slot);
        recordLog().write(record::call(slot, arguments));
    }

    // The host calls the object its record holds, and nothing else.
    void checkGame(GameCoreSlot slot) {
        if (host_record::read(host_).game != reinterpret_cast<host_record::Field>(this))
            recordLog().write("check game-not-this-object slot " +
                              std::to_string(static_cast<int>(slot)));
    }

    GameHost* host_;
    std::vector<ScriptRule> rules_;
    bool started_ = false;
};

}  // namespace

extern "C" ZINDLE_CORE_API GameCore* ZINDLE_CDECL CreateZindle(GameHost* host) {
    const std::string problems = checkHostRecord(host);
    recordLog().write("create host=" + (problems.empty() ? std::string("ok") : "bad:" + problems) +
                      " window=" + record::window(host ? host_record::gameWindow(host) : nullptr));
    if (!host)
        return nullptr;
    std::vector<std::string> errors;
    std::vector<ScriptRule> rules =
        parseScript(narrow(environmentValue(record::ScriptVariable)), errors);
    for (const std::string& error : errors)
        recordLog().write("script " + error);
    auto core = std::make_unique<RecordingCore>(host, std::move(rules));
    core->created();
    return core.release();
}
