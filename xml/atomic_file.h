// Internal: replacing a file so that a failure never costs the old one.
#ifndef TARVIK_XML_ATOMIC_FILE_H
#define TARVIK_XML_ATOMIC_FILE_H

#include <functional>
#include <string>

#include "xml/document.h"
#include "xml/output_buffer.h"

namespace tarvik::xml {

// Lets `write` put the new content of `path` into an OutputBuffer (directly,
// or through its stream(), whose flushes go no further than the buffer),
// which hands it in large writes to a temporary file in the same directory;
// once every byte has reached the disk (fsync, FlushFileBuffers) the
// temporary file is renamed over `path` in one step (rename, MoveFileExW). On any failure the
// temporary file is removed and `path` is left as it was, then XMLException
// messages::CannotWriteFile naming the path is thrown; an exception from
// `write` itself is passed on after the same cleaning up. A file the process
// may not write is refused as opening it would be, although the rename
// itself would need only the directory. An existing target's permission bits
// are kept, and its owner and group as far as the process may give them
// (POSIX); until then the new file is its writer's alone. A symbolic link is
// followed, dangling or not, so the file it names is replaced (or made) and
// the link stays. A target that exists but is no regular file (a device, a
// FIFO, a pipe or socket reached through /dev/stdout or /dev/fd/N) cannot be
// replaced and is written in place, as before; a socket, which cannot be
// opened again, through the process's own descriptor for it.
//
// `write` may refuse the content part way by throwing; the temporary file is
// then thrown away. `check`, when given, is the same refusal made before
// anything is written: it throws what `write` would throw. It runs on its own
// first where the refusal could not reach `write` (the file cannot be
// written, so the refusal is reported rather than the failure) or could not
// take back what `write` wrote (a target written in place).
// An XMLException of `message` about the file at `path`, carrying the
// operating system's reason for `error` (an errno value; none for 0).
XMLException fileSystemError(const char* message, const std::string& path, int error);

void replaceFile(const std::string& path, const std::function<void(OutputBuffer&)>& write,
                 const std::function<void()>& check = nullptr);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_ATOMIC_FILE_H
