// Checks shared by the end-to-end tests.
#ifndef ZINDLE_TESTS_E2E_RUN_CHECKS_H
#define ZINDLE_TESTS_E2E_RUN_CHECKS_H

#include <gtest/gtest.h>
#include <windows.h>

#include "launcher_run.h"
#include "log_lines.h"

// Posts `message` to `window` and waits for the run to end with exit code 0.
testing::AssertionResult endsWithZeroAfter(LauncherRun& run, HWND window, UINT message,
                                           WPARAM wParam = 0);

// The log ends with the shutdown sequence: shutdown(), then destroy(1).
void expectShutdownLast(const LogLines& log);

#endif  // ZINDLE_TESTS_E2E_RUN_CHECKS_H
