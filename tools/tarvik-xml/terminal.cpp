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

// Bytes held before they are passed on (and converted, with --utf8): bounded,
// and large enough that a long output takes few writes and a long line of
// tabs few conversions.
constexpr std::size_t OutputPieceSize = std::size_t{1} << 16;
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

// ------------------------------------------------------------ HeldOutput

// A stream buffer that holds what is written and passes it on to another
// stream in large pieces: when its buffer is full and at release(), not at
// each flush (print flushes at every line break), so a long output reaches
// the system in a few large writes. With `toUtf8` it takes GB2312 bytes and
// writes them as UTF-8; a piece never ends inside a two-byte character: a
// lead byte left over waits for the next piece.
HeldOutput::HeldOutput(std::ostream& out, bool toUtf8)
    : out_(out), toUtf8_(toUtf8), buffer_(OutputPieceSize) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

HeldOutput::~HeldOutput() {
    passOn();
}

void HeldOutput::passOn() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    if (!toUtf8_) {
        out_.write(pbase(), static_cast<std::streamsize>(pending));
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return;
    }
    const std::size_t complete = completeLength(pbase(), pptr());
    if (complete > 0)
        out_ << narrowToUtf8(std::string(pbase(), complete));
    // A lead byte whose trail has not come yet moves to the front.
    const std::size_t left = pending - complete;
    std::memmove(buffer_.data(), pbase() + complete, left);
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    pbump(static_cast<int>(left));
}

bool HeldOutput::release() {
    passOn();
    out_.flush();
    return static_cast<bool>(out_);
}

HeldOutput::int_type HeldOutput::overflow(int_type c) {
    passOn();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return out_ ? traits_type::not_eof(c) : traits_type::eof();
}

int HeldOutput::sync() {
    return out_ ? 0 : -1;
}

// ------------------------------------------------------------ Terminal

Terminal::Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8)
    : in_(in),
      out_(out),
      err_(err),
      inputProblem_(standardInputProblem()),
      utf8_(utf8),
      messagesUtf8_(utf8 || terminalTakesUtf8()),
      heldText_(out, utf8),
      heldBytes_(out, false),
      textOutput_(&heldText_),
      byteOutput_(&heldBytes_) {}

Terminal::~Terminal() {
    releaseOutput();
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

// Standard input, taken as takeInput takes it, read whole as text and
// converted to GB2312. Throws InputUnavailable as takeInput and
// checkInputRead do; XMLException messages::ZeroByteInFile, offset() the
// byte, at a zero byte, where a text would end and lose the rest; and
// std::runtime_error past tarvik::xml::DefaultStreamLimit bytes.
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

// Each kind of output takes what the other holds first, so that the bytes
// keep their order.
std::ostream& Terminal::libraryOutput() {
    heldBytes_.passOn();
    return textOutput_;
}

std::ostream& Terminal::byteOutput() {
    heldText_.passOn();
    return byteOutput_;
}

void Terminal::releaseOutput() {
    heldText_.passOn();
    heldBytes_.release();
}

void Terminal::write(const std::string& text) {
    releaseOutput();
    out_ << text;
}

void Terminal::report(const std::string& line) {
    releaseOutput();  // what came before the error shows before it
    err_ << line << '\n';
}

void Terminal::reportError(const tarvik::xml::XMLException& error) {
    // describe() is the place, which names the file as it was given, then the
    // message and the system's reason after it.
    const std::string reason =
        error.systemReason().empty() ? "" : " (" + error.systemReason() + ")";
    const std::string described = error.describe();
    const size_t tailLength = std::strlen(error.what()) + reason.size();
    const std::string place = described.substr(0, described.size() - tailLength);
    report(messageFromArgument(place) + messageFromLibrary(error.what()) +
           messageFromArgument(reason));
}

bool Terminal::outputSucceeded() {
    releaseOutput();
    return static_cast<bool>(out_) && static_cast<bool>(textOutput_) &&
           static_cast<bool>(byteOutput_);
}

}  // namespace tarvik::tool
