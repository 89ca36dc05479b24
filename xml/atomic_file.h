// Internal: replacing a file so that a failure never costs the old one.
#ifndef TARVIK_XML_ATOMIC_FILE_H
#define TARVIK_XML_ATOMIC_FILE_H

#include <functional>
#include <ostream>
#include <string>

namespace tarvik::xml {

// Lets `write` put the new content of `path` on a binary stream, which goes
// to a temporary file in the same directory; once every byte has reached the
// disk (fsync, FlushFileBuffers) the temporary file is renamed over `path` in
// one step (rename, MoveFileExW). On any failure the temporary file is
// removed and `path` is left as it was, then XMLException
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
void replaceFile(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_ATOMIC_FILE_H
