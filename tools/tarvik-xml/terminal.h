// The tool's standard streams, and the one place where text changes encoding.
//
// The library holds GB2312 bytes, and so do files. Without --utf8 the
// terminal is taken to hold GB2312 too and nothing is converted. With --utf8
// the terminal speaks UTF-8: text arguments and standard input read as text
// are converted to GB2312 on the way in, and everything written goes out as
// UTF-8. Output from the library goes out as it is written, converted in
// bounded pieces, so no output is ever held whole in memory.
//
// Messages on standard error are for people, not for the next program in a
// pipe: they are written in the encoding of the user's locale (UTF-8 where
// terminalTakesUtf8() says so, and always with --utf8), GB2312 otherwise.
#ifndef TARVIK_TOOL_TERMINAL_H
#define TARVIK_TOOL_TERMINAL_H

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "xml/document.h"

namespace tarvik::tool {

// A stream buffer that takes GB2312 bytes and writes them to another stream
// as UTF-8, a bounded piece at a time. A piece never ends inside a two-byte
// character: a lead byte left over waits for the next piece.
class Utf8Converter : public std::streambuf {
public:
    // Writes to `out`, which must outlive this buffer.
    explicit Utf8Converter(std::ostream& out);
    ~Utf8Converter() override;
    Utf8Converter(const Utf8Converter&) = delete;
    Utf8Converter& operator=(const Utf8Converter&) = delete;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Converts and writes every complete character collected so far.
    void convertPending();

    std::ostream& out_;
    std::vector<char> buffer_;
};

// Standard input cannot be read: it is closed or a directory, a read of it
// failed, or an earlier "-" of the command line has taken it. what() says
// which, for people.
class InputUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The standard streams of one run, and its --utf8 choice.
class Terminal {
public:
    // Uses the given streams, which the caller keeps alive; `utf8` is --utf8.
    // `in` reads the process's standard input, whose state is looked at
    // here, before any file is opened.
    Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Standard input as bytes, for a command that reads it as a file. It is
    // taken at most once: throws InputUnavailable when it is closed or a
    // directory, or an earlier "-" has taken it.
    std::istream& takeInput();
    // Throws InputUnavailable when a read of standard input failed, which
    // otherwise looks like its end; for a command that has read it.
    void checkInputRead() const;
    // Standard input, taken as takeInput takes it, read whole as text and
    // converted to GB2312. Throws InputUnavailable as takeInput and
    // checkInputRead do; XMLException messages::ZeroByteInFile, offset() the
    // byte, at a zero byte, where a text would end and lose the rest; and
    // std::runtime_error past tarvik::xml::DefaultStreamLimit bytes.
    std::string readInput();
    // A text argument (not a file name) converted to GB2312.
    std::string argumentText(const std::string& argument) const;

    // GB2312 text from the library, in the terminal's encoding.
    std::string fromLibrary(const std::string& gb2312) const;
    // An argument as it was given (a file name, say), in the terminal's encoding.
    std::string fromArgument(const std::string& argument) const;
    // True when messages on standard error are UTF-8.
    bool messagesInUtf8() const { return messagesUtf8_; }
    // GB2312 text from the library, in the encoding of standard error.
    std::string messageFromLibrary(const std::string& gb2312) const;
    // An argument as it was given, in the encoding of standard error.
    std::string messageFromArgument(const std::string& argument) const;

    // Standard output for GB2312 text from the library: converted on the way
    // when the terminal speaks UTF-8.
    std::ostream& libraryOutput();
    // Standard output for bytes that pass unconverted (a binary record).
    std::ostream& byteOutput();
    // Writes text already in the terminal's encoding to standard output.
    void write(const std::string& text);
    // Writes one line, already in the encoding of standard error (built with
    // messageFromLibrary and messageFromArgument), to standard error.
    void report(const std::string& line);
    // Reports a library error as "file:line:column: message" or "file: byte N:
    // message": the file name as given, the message converted.
    void reportError(const tarvik::xml::XMLException& error);

    // False once a write to standard output has failed.
    bool outputSucceeded();

private:
    // Sends whatever the converter still holds on to standard output.
    void flushLibraryOutput();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    int inputProblem_;         // standardInputProblem() at the start
    bool inputTaken_ = false;  // an operand "-" has taken standard input
    bool utf8_;
    bool messagesUtf8_;                         // standard error takes UTF-8
    std::unique_ptr<Utf8Converter> converter_;  // with --utf8 only
    std::unique_ptr<std::ostream> converted_;   // writes through converter_
};

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_TERMINAL_H
