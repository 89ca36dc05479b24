// The recording core's script: what it posts or sends to the game window, and
// when, so a test can drive the launcher from inside the game core. Read from
// the environment variable ZINDLE_RECORD_SCRIPT, rules separated by ';':
//
//     on <trigger> <post|send> <message> [<wParam> [<lParam>]]
//        [after <ms>] [repeat <count> every <ms>]
//
// Triggers: `create` (inside CreateZindle), `start` (the host's first start
// notice, CoreNotifyMessage), or a message number such as 0x0010 (each time
// the host forwards that message). Numbers are decimal or 0x-hexadecimal.
// `post` queues the message; `send` calls the window procedure at once, on
// the calling thread. With `after` or `repeat` the rule runs on a thread of
// its own: it waits, then acts `count` times with wParam counting up by one,
// pausing `every` milliseconds in between.
//
//     on 0x0010 post 0x0501 after 300        answer a close after 300 ms
//     on start send 0x0024 0 0               WM_GETMINMAXINFO with a null pointer
#ifndef ZINDLE_TESTS_E2E_CORE_SCRIPT_H
#define ZINDLE_TESTS_E2E_CORE_SCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

// One rule of the script.
struct ScriptRule {
    enum class Trigger { Create, Start, Message };
    enum class Action { Post, Send };

    Trigger trigger = Trigger::Message;
    uint32_t triggerMessage = 0;  // for Trigger::Message
    Action action = Action::Post;
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t afterMs = 0;
    uint32_t repeat = 1;
    uint32_t everyMs = 0;

    // Whether the rule waits or repeats, and so runs on a thread of its own.
    bool deferred() const { return afterMs > 0 || repeat > 1; }
};

// Parses a script. Rules that do not parse are left out and described in
// `errors`, one line each, so the core can log them.
std::vector<ScriptRule> parseScript(const std::string& text, std::vector<std::string>& errors);

#endif  // ZINDLE_TESTS_E2E_CORE_SCRIPT_H
