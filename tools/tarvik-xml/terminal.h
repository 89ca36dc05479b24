// The tool's standard streams, and the one place where text changes encoding.
//
// The library holds GB2312 bytes, and so do files. Without --utf8 the
// terminal is taken to hold GB2312 too and nothing is converted. With --utf8
// the terminal speaks UTF-8: text arguments and standard input read as text
// are converted to GB2312 on the way in, and everything written goes out as
// UTF-8. Output from the library goes out as it is written, converted in
// bounded pieces, so no output is ever held whole in memory; standard output
// is written in large pieces, not at each of print's flushes, and flushed
// before anything goes to standard error and at the end.
//
// Messages on standard error are for people, not for the next program in a
// pipe: they are written in the encoding of the user's locale (UTF-8 where
// terminalTakesUtf8() says so, and always with --utf8), GB2312 otherwise.
#ifndef TARVIK_TOOL_TERMINAL_H
#define TARVIK_TOOL_TERMINAL_H

#include <cstddef>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <vector>

#include "xml/document.h"

namespace tarvik::tool {

// A stream buffer that passes what is written on to another stream in large
// pieces (with `toUtf8`, converted from GB2312 to UTF-8).
class HeldOutput : public std::streambuf {
public:
    // Writes to `out`, which must outlive this buffer.
    HeldOutput(std::ostream& out, bool toUtf8);
    // Passes on what is still held.
    ~HeldOutput() override;
    HeldOutput(const HeldOutput&) = delete;
    HeldOutput& operator=(const HeldOutput&) = delete;

    // Writes every complete character held so far to `out`, without a flush.
    void passOn();
    // Passes on what is held and flushes `out`; false once a write to `out`
    // has failed.
    bool release();

protected:
    int_type overflow(int_type c) override;
    // A flush keeps the bytes held; only a failure of `out` shows.
    int sync() override;

private:
    std::ostream& out_;
    bool toUtf8_;
    std::vector<char> buffer_;
};

// Standard input cannot be read (closed, a directory, a failed read, or taken by
// an earlier "-"); what() says which, for people.
class InputUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The standard streams of one run, and its --utf8 choice.
class Terminal {
public:
    // Uses the given streams, which the caller keeps alive; `utf8` is --utf8.
    // Looks at the state of standard input (`in`) at once, before any file is opened.
    Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Standard input as bytes, taken at most once; throws InputUnavailable when
    // it is closed, a directory, or an earlier "-" has taken it.
    std::istream& takeInput();
    // Throws InputUnavailable when a read of standard input failed, which
    // otherwise looks like its end; for a command that has read it.
    void checkInputRead() const;
    // Standard input read whole and converted to GB2312. Throws InputUnavailable,
    // XMLException ZeroByteInFile at a zero byte, runtime_error past the stream limit.
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
    // when the terminal speaks UTF-8. Held in large pieces.
    std::ostream& libraryOutput();
    // Standard output for bytes that pass unconverted (a binary record). Held
    // in large pieces.
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
    // Sends whatever is held on to standard output and flushes it.
    void releaseOutput();

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    int inputProblem_;         // standardInputProblem() at the start
    bool inputTaken_ = false;  // an operand "-" has taken standard input
    bool utf8_;
    bool messagesUtf8_;        // standard error takes UTF-8
    HeldOutput heldText_;      // library text, converted with --utf8
    HeldOutput heldBytes_;     // bytes passed as they are
    std::ostream textOutput_;  // writes through heldText_
    std::ostream byteOutput_;  // writes through heldBytes_
};

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_TERMINAL_H
