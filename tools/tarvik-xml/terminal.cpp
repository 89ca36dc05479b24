#include "terminal.h"

#include <cstring>
#include <iterator>

#include "host/code_page_string.h"
#include "platform.h"

namespace tarvik::tool {

Terminal::Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8)
    : in_(in), out_(out), err_(err), utf8_(utf8) {}

std::string Terminal::readInput() {
    const std::string bytes{std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>()};
    return utf8_ ? utf8ToNarrow(bytes) : bytes;
}

std::string Terminal::argumentText(const std::string& argument) const {
    if (ArgumentsAreGb2312 || !utf8_)
        return argument;
    return utf8ToNarrow(argument);
}

std::string Terminal::fromLibrary(const std::string& gb2312) const {
    return utf8_ ? narrowToUtf8(gb2312) : gb2312;
}

std::string Terminal::fromArgument(const std::string& argument) const {
    return ArgumentsAreGb2312 ? fromLibrary(argument) : argument;
}

void Terminal::write(const std::string& text) {
    out_ << text;
}

void Terminal::report(const std::string& line) {
    err_ << line << '\n';
}

void Terminal::reportError(const tarvik::xml::XMLException& error) {
    // describe() is the place, which names the file as it was given, then the message.
    const std::string described = error.describe();
    const size_t messageLength = std::strlen(error.what());
    const std::string place = described.substr(0, described.size() - messageLength);
    report(fromArgument(place) + fromLibrary(error.what()));
}

bool Terminal::outputSucceeded() {
    out_.flush();
    return static_cast<bool>(out_);
}

}  // namespace tarvik::tool
