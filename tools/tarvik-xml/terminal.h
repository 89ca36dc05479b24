// The tool's standard streams, and the one place where text changes encoding.
//
// The library holds GB2312 bytes, and so do files. Without --utf8 the
// terminal is taken to hold GB2312 too and nothing is converted. With --utf8
// the terminal speaks UTF-8: text arguments and standard input are converted
// to GB2312 on the way in, and everything written goes out as UTF-8.
#ifndef TARVIK_TOOL_TERMINAL_H
#define TARVIK_TOOL_TERMINAL_H

#include <istream>
#include <ostream>
#include <string>

#include "xml/document.h"

namespace tarvik::tool {

// The standard streams of one run, and its --utf8 choice.
class Terminal {
public:
    // Uses the given streams, which the caller keeps alive; `utf8` is --utf8.
    Terminal(std::istream& in, std::ostream& out, std::ostream& err, bool utf8);

    // Standard input, read whole and as is, converted to GB2312.
    std::string readInput();
    // A text argument (not a file name) converted to GB2312.
    std::string argumentText(const std::string& argument) const;

    // GB2312 text from the library, in the terminal's encoding.
    std::string fromLibrary(const std::string& gb2312) const;
    // An argument as it was given (a file name, say), in the terminal's encoding.
    std::string fromArgument(const std::string& argument) const;

    // Writes text already in the terminal's encoding to standard output.
    void write(const std::string& text);
    // Writes one line, already in the terminal's encoding, to standard error.
    void report(const std::string& line);
    // Reports a library error as "file:line:column: message" or "file: byte N:
    // message": the file name as given, the message converted.
    void reportError(const tarvik::xml::XMLException& error);

    // False once a write to standard output has failed.
    bool outputSucceeded();

private:
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool utf8_;
};

}  // namespace tarvik::tool

#endif  // TARVIK_TOOL_TERMINAL_H
