// Test helpers for the text readers: texts that let the sanitizer see any
// read past their NUL, and the exception an action throws.
#ifndef TESTS_SUPPORT_TEXT_CHECKS_H
#define TESTS_SUPPORT_TEXT_CHECKS_H

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "xml/document.h"

namespace testing_support {

// A heap copy of `text` exactly as long as the text and its NUL, so that the
// sanitizer build catches any read past the NUL.
inline std::unique_ptr<char[]> exactCopy(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

// Runs `action` and returns the XMLException it threw, or nothing when it
// returned normally. Other exceptions pass through.
template <typename Action>
std::optional<tarvik::xml::XMLException> thrownBy(Action action) {
    try {
        action();
    } catch (const tarvik::xml::XMLException& error) {
        return error;
    }
    return std::nullopt;
}

// The message of the XMLException `action` throws, or "(nothing thrown)".
template <typename Action>
std::string thrownMessage(Action action) {
    const std::optional<tarvik::xml::XMLException> error = thrownBy(action);
    return error ? error->what() : "(nothing thrown)";
}

}  // namespace testing_support

#endif  // TESTS_SUPPORT_TEXT_CHECKS_H
