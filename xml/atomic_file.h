// Internal: replacing a file so that a failure never costs the old one.
#ifndef TARVIK_XML_ATOMIC_FILE_H
#define TARVIK_XML_ATOMIC_FILE_H

#include <functional>
#include <string>

#include "xml/document.h"
#include "xml/output_buffer.h"

namespace tarvik::xml {

// An XMLException of `message` about the file at `path`, carrying the
// operating system's reason for `error` (an errno value; none for 0).
XMLException fileSystemError(const char* message, const std::string& path, int error);

// Replaces `path` with what `write` puts into the buffer, all or nothing: on
// any failure `path` keeps its old content and XMLException CannotWriteFile is
// thrown (or what `write` or `check` threw). See atomic_file.cpp for how.
void replaceFile(const std::string& path, const std::function<void(OutputBuffer&)>& write,
                 const std::function<void()>& check = nullptr);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_ATOMIC_FILE_H
