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
// `write` itself is passed on after the same cleaning up. An existing
// target's permission bits are kept (POSIX); a symbolic link is followed, so
// the file it names is replaced and the link stays. A target that exists but
// is no regular file (a device, a FIFO) cannot be replaced and is written in
// place, as before.
void replaceFile(const std::string& path, const std::function<void(std::ostream&)>& write);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_ATOMIC_FILE_H
