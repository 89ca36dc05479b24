// Test helper: what the code under test sent to the debugger output. Off
// Windows that is standard error; on Windows it is the debugger, which the
// end-to-end suite reads through Wine instead.
#ifndef TESTS_SUPPORT_DEBUG_CAPTURE_H
#define TESTS_SUPPORT_DEBUG_CAPTURE_H

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

constexpr bool DebugOutputIsCapturable =
#ifdef _WIN32
    false;
#else
    true;
#endif

// Runs `action` and returns what it wrote to the debugger output.
template <typename Action>
std::string captureDebugOutput(Action action) {
    if (!DebugOutputIsCapturable) {
        action();
        return std::string();
    }
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_DEBUG_CAPTURE_H
