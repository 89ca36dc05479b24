// The recording core's log format, shared by the core that writes it and the
// tests that read it. One event per line, UTF-8:
//
//     create host=ok window=0x1A2B        the factory, with its check of the record
//     1                                   a slot and its arguments, in call order
//     14 60
//     9 https://play.example/中文
//     4 2 1 0x1A2B 0 0
//     5 0x0200 0 1310730                  message (hex), wParam, lParam (decimal)
//     0 1
//     post 0x0501 0 0                     what the script did
//     sent 0x0024 0 0 -> 0
//     check <what>                        a broken promise of the contract
//     script <error>                      a rule that did not parse
#ifndef ZINDLE_TESTS_E2E_RECORD_FORMAT_H
#define ZINDLE_TESTS_E2E_RECORD_FORMAT_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "host/game_core.h"

namespace record {

// The environment variables the recording core reads.
inline constexpr wchar_t LogVariable[] = L"ZINDLE_RECORD_LOG";
inline constexpr wchar_t ScriptVariable[] = L"ZINDLE_RECORD_SCRIPT";

// A window handle: "0" for null, otherwise hexadecimal.
std::string window(HWND handle);

// Wide text as UTF-8, with backslash, CR and LF escaped so it stays one line.
std::string text(const wchar_t* wide);

// A slot number followed by its arguments (already formatted).
std::string call(GameCoreSlot slot, const std::string& arguments = std::string());

// The line of a forwarded message: "5 0x0200 0 1310730".
std::string message(uint32_t number, uint64_t wParam, int64_t lParam);

// The start of every line of a forwarded message number: "5 0x0200 ".
std::string messagePrefix(uint32_t number);

// A message number as the log writes it: "0x0200".
std::string messageNumber(uint32_t number);

// The factory's line for a record that passed every check.
std::string createOk(HWND gameWindow);

}  // namespace record

#endif  // ZINDLE_TESTS_E2E_RECORD_FORMAT_H
