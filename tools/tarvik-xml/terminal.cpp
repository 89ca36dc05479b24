#include "terminal.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "host/code_page_string.h"
#include "platform.h"
#include "xml/load_options.h"
#include "xml/messages.h"

namespace tarvik::tool {

namespace {

// GB2312 bytes collected before each conversion: bounded, and large enough
// that a long line of tabs takes few conversions.
constexpr std::size_t ConversionPieceSize = std::size_t{1} << 16;
// Bytes read from standard input per step.
constexpr std::size_t InputStepSize = std::size_t{1} << 16;
// In GB2312 and GBK a byte from 0x81 up opens a two-byte character.
constexpr unsigned char FirstLeadByte = 0x81;
constexpr unsigned char LastLeadByte = 0xFE;
// Why standard input cannot be read beyond what the system says.
constexpr char AlreadyTaken[] = "already read for an earlier \"-\"";
constexpr char ReadFailed[] = "reading it failed";

bool isLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= FirstLeadByte && byte <= LastLeadByte;
}

// Length of the longest run of complete characters at the start of
// [begin, end), which starts on a character boundary.
std::size_t completeLength(const char* begin, const char* end) {
    const char* at = begin;
    while (at < end) {
        const std::ptrdiff_t step = isLeadByte(*at) ? 2 : 1;
        if (end - at < step)
            break;
        at += step;
    }
    return static_cast<std::size_t>(at - begin);
}

}  // namespace

// ------------------------------------------------------------ Utf8Converter

Utf8Converter::Utf8Converter(std::ostream& out) : out_(out), buffer_(ConversionPieceSize) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

Utf8Converter::~Utf8Converter() {
    sync();
}

void Utf8Converter::convertPending() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    const std::size_t complete = completeLength(pbase(), pptr());
    if (complete > 0)
        out_ << narrowToUtf8(std::string(pbase(), complete));
    // A lead byte whose trail has not come yet moves to the front.
    const std::size_t left = pending - complete;
    std::memmove(buffer_.data(), pbase() + complete, left);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(left));
}

Utf8Converter::int_type Utf8Converter::overflow(int_type c) {
    convertPending();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return out_ ? traits_type::not_eof(c) : traits_type::eof();
}

int Utf8Converter::sync() {
    convertPending();
    out_.flush();
    return out_ ? 0 : -1;
}

// ------------------------------------------------------------ Terminal

Terminal::Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8)
    : in_(in),
      out_(out),
      err_(err),
      inputProblem_(standardInputProblem()),
      utf8_(utf8),
      messagesUtf8_(utf8 || terminalTakesUtf8()) {
    if (utf8_) {
        converter_ = std::make_unique<Utf8Converter>(out_);
        converted_ = std::make_unique<std::ostream>(converter_.get());
    }
}

Terminal::~Terminal() {
    flushLibraryOutput();
}

std::istream& Terminal::takeInput() {
    if (inputTaken_)
        throw InputUnavailable(AlreadyTaken);
    if (inputProblem_ != 0)
        throw InputUnavailable(std::strerror(inputProblem_));
    inputTaken_ = true;
    return in_;
}

void Terminal::checkInputRead() const {
    if (standardInputFailed())
        throw InputUnavailable(ReadFailed);
}

std::string Terminal::readInput() {
    std::istream& in = takeInput();
    std::string bytes;
    std::vector<char> step(InputStepSize);
    while (in.read(step.data(), static_cast<std::streamsize>(step.size())) || in.gcount() > 0) {
        bytes.append(step.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > tarvik::xml::DefaultStreamLimit)
            throw std::runtime_error("standard input is longer than " +
                                     std::to_string(tarvik::xml::DefaultStreamLimit) + " bytes");
    }
    checkInputRead();
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string::npos)
        throw tarvik::xml::XMLException(tarvik::xml::messages::ZeroByteInFile,
                                        static_cast<int64_t>(zero));
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

std::string Terminal::messageFromLibrary(const std::string& gb2312) const {
    return messagesUtf8_ ? narrowToUtf8(gb2312) : gb2312;
}

std::string Terminal::messageFromArgument(const std::string& argument) const {
    return ArgumentsAreGb2312 ? messageFromLibrary(argument) : argument;
}

std::ostream& Terminal::libraryOutput() {
    return converted_ ? *converted_ : out_;
}

std::ostream& Terminal::byteOutput() {
    flushLibraryOutput();
    return out_;
}

void Terminal::flushLibraryOutput() {
    if (converted_)
        converted_->flush();
}

void Terminal::write(const std::string& text) {
    flushLibraryOutput();
    out_ << text;
}

void Terminal::report(const std::string& line) {
    flushLibraryOutput();
    out_.flush();  // what came before the error shows before it
    err_ << line << '\n';
}

void Terminal::reportError(const tarvik::xml::XMLException& error) {
    // describe() is the place, which names the file as it was given, then the message.
    const std::string described = error.describe();
    const size_t messageLength = std::strlen(error.what());
    const std::string place = described.substr(0, described.size() - messageLength);
    report(messageFromArgument(place) + messageFromLibrary(error.what()));
}

bool Terminal::outputSucceeded() {
    flushLibraryOutput();
    out_.flush();
    return static_cast<bool>(out_) && (!converted_ || static_cast<bool>(*converted_));
}

}  // namespace tarvik::tool
