#include "xml/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <system_error>
#include <vector>

#include "xml/document.h"
#include "xml/messages.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#endif

namespace tarvik::xml {

namespace {

// Tries at a fresh temporary name before giving up: a name is taken only when
// another writer chose the same random number.
constexpr int TemporaryNameTries = 16;
// Hex digits of the random part of a temporary name.
constexpr int TemporaryNameDigits = 8;
constexpr char TemporarySuffix[] = ".tmp-";

XMLException writeError(const std::string& path, int error) {
    return fileSystemError(messages::CannotWriteFile, path, error);
}

// The reason the last system call failed, as an errno value (0 for none):
// Windows keeps its own error number, which maps onto the same conditions.
int lastSystemError() {
#ifdef _WIN32
    const DWORD error = GetLastError();
    return error == 0
               ? 0
               : std::system_category().default_error_condition(static_cast<int>(error)).value();
#else
    return errno;
#endif
}

void clearSystemError() {
#ifdef _WIN32
    SetLastError(0);
#endif
    errno = 0;
}

#ifndef _WIN32
// Bytes of the target's own name a temporary name keeps: file names end at
// 255 bytes, and the suffix must still fit after a target of that length.
constexpr std::size_t TemporaryNameKeeps = 200;
#endif

// "<path>.tmp-<8 hex digits>": beside the target, so the rename stays on one
// file system and is atomic. Off Windows, where a name is bytes, a long name
// is cut so that the suffix still fits.
std::string temporaryNameFor(const std::string& path, std::random_device& random) {
    char digits[TemporaryNameDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(random()));
    std::string name = path;
#ifndef _WIN32
    const std::size_t nameStart = name.rfind('/') + 1;  // npos + 1 is 0: no directory
    if (name.size() - nameStart > TemporaryNameKeeps)
        name.resize(nameStart + TemporaryNameKeeps);
#endif
    return name + TemporarySuffix + digits;
}

#ifdef _WIN32

// Windows file names are wide; narrow ones are in the ANSI code page, as the
// standard library's file streams take them.
std::wstring widePath(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

// The attributes a new file may take over from the one it replaces.
constexpr DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates a file that must not exist yet; false when it does or cannot be made.
    bool createNew(const std::string& path) {
        handle_ = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    bool nameWasTaken() const { return GetLastError() == ERROR_FILE_EXISTS; }
    bool write(const char* bytes, std::size_t count) {
        while (count > 0) {
            DWORD written = 0;
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
            if (!WriteFile(handle_, bytes, piece, &written, nullptr) || written == 0)
                return false;
            bytes += written;
            count -= written;
        }
        return true;
    }
    bool flushToDisk() { return FlushFileBuffers(handle_) != 0; }
    bool close() {
        if (handle_ == INVALID_HANDLE_VALUE)
            return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// What is known of the file to replace.
struct Target {
    std::string path;
    bool inPlace = false;  // no regular file: written where it stands
    bool writable = true;  // a read-only file refuses MoveFileExW on its own
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
};

Target targetOf(const std::string& path) {
    Target target;
    target.path = path;
    target.attributes = GetFileAttributesW(widePath(path).c_str());
    return target;
}

bool createNew(OutputFile& file, const std::string& path, const Target&) {
    return file.createNew(path);
}

bool openInPlace(OutputFile&, const Target&) {
    return false;  // every target is a regular file or a folder, never replaced in place
}

// Attributes are set on the closed file, in moveOver.
void keepPermissions(OutputFile&, const std::string&, const Target&) {}

bool moveOver(const std::string& temporary, const Target& target) {
    if (target.attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(widePath(temporary).c_str(), target.attributes & KeptAttributes);
    return MoveFileExW(widePath(temporary).c_str(), widePath(target.path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeFile(const std::string& path) {
    DeleteFileW(widePath(path).c_str());
}

void flushDirectoryOf(const Target&) {}  // MOVEFILE_WRITE_THROUGH covers the rename

#else

// New files get read and write for everyone, less the process's umask, as an
// ordinary open would give them.
constexpr mode_t NewFileMode = 0666;
// The replacement of an existing file is its writer's alone until it is
// written and takes the old file's owner and mode: nobody else may open it
// earlier and read on.
constexpr mode_t PrivateFileMode = 0600;
// The permission bits, set-id and sticky bits of a mode.
constexpr mode_t PermissionBits = 07777;
// Bytes written between two requests to start writing them to the disk.
constexpr std::size_t WritebackStep = std::size_t{1} << 20;
// Symbolic links followed to the file they name before giving up, as the
// system gives up on a path (ELOOP).
constexpr int LinkHops = 40;

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool createNew(const std::string& path, mode_t mode) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return fd_ >= 0;
    }
    bool openExisting(const std::string& path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return fd_ >= 0;
    }
    // Writes through a copy of a descriptor the process already holds.
    bool useCopyOf(int descriptor) {
        fd_ = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
        return fd_ >= 0;
    }
    bool nameWasTaken() const { return errno == EEXIST; }
    bool write(const char* bytes, std::size_t count) {
        while (count > 0) {
            const ssize_t written = ::write(fd_, bytes, count);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes += written;
            count -= static_cast<std::size_t>(written);
            written_ += static_cast<std::size_t>(written);
        }
        startWriteback();
        return true;
    }
    bool flushToDisk() { return ::fsync(fd_) == 0; }
    // Best effort: only a privileged process may give a file to another user.
    void setOwner(uid_t owner, gid_t group) {
        if (::fchown(fd_, owner, group) != 0)
            (void)::fchown(fd_, static_cast<uid_t>(-1), group);  // the group, at least
    }
    void setMode(mode_t mode) { ::fchmod(fd_, mode); }
    bool close() {
        if (fd_ < 0)
            return true;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return closed;
    }

private:
    // Every WritebackStep bytes, the system is asked to start writing them
    // to the disk, without waiting for it: the flush at the end then finds
    // most of the file already there instead of all of it still to write.
    void startWriteback() {
#ifdef __linux__
        if (written_ - handedToDisk_ < WritebackStep)
            return;
        ::sync_file_range(fd_, static_cast<off_t>(handedToDisk_),
                          static_cast<off_t>(written_ - handedToDisk_), SYNC_FILE_RANGE_WRITE);
        handedToDisk_ = written_;
#endif
    }

    int fd_ = -1;
    std::size_t written_ = 0;       // bytes written so far
    std::size_t handedToDisk_ = 0;  // bytes the disk has been asked to write
};

struct Target {
    std::string path;
    bool inPlace = false;  // no regular file: written where it stands
    bool exists = false;
    bool writable = true;  // false: this process may not change the file
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

// The directory part of `path`, ending in '/', or "" for a bare name.
std::string directoryOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows symbolic links from `path` to the path of the file they name,
// which need not exist yet (a dangling link names the file to create).
// Empty after too many links (a loop).
std::string followLinks(std::string path) {
    for (int hop = 0; hop < LinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return path;
        std::vector<char> link(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size())
            return std::string();
        const std::string named(link.data(), static_cast<std::size_t>(length));
        path = named.front() == '/' ? named : directoryOf(path) + named;
    }
    return std::string();
}

// A symbolic link is followed, so the file it names is replaced, not the
// link. The system decides first what the path leads to: a pipe, a socket or
// a device that a link names (as /dev/stdout and /dev/fd/N lead to the
// kernel's "pipe:[...]" links) is written where it stands, through the path
// as given, since no file of that name could be made beside it.
Target targetOf(const std::string& path) {
    Target target;
    struct stat reached {};
    if (::stat(path.c_str(), &reached) == 0 && !S_ISREG(reached.st_mode)) {
        target.path = path;
        target.exists = true;
        target.inPlace = true;  // whether it may be written, opening it tells
        return target;
    }
    target.path = followLinks(path);
    if (target.path.empty()) {
        target.path = path;
        target.writable = false;
        return target;
    }
    struct stat status {};
    if (::stat(target.path.c_str(), &status) == 0) {
        target.exists = true;
        target.inPlace = !S_ISREG(status.st_mode);
        target.mode = status.st_mode & PermissionBits;
        target.owner = status.st_uid;
        target.group = status.st_gid;
        // The rename needs only the directory's permission; a file this
        // process may not write is refused, as opening it would be.
        target.writable = ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) == 0;
    }
    return target;
}

bool createNew(OutputFile& file, const std::string& path, const Target& target) {
    return file.createNew(path, target.exists ? PrivateFileMode : NewFileMode);
}

// The descriptor of this process that `path` names through a link whose
// name is its number (/dev/fd/N, /proc/self/fd/N, and /dev/stdout on the
// way there), checked to be the very file the path reaches; -1 for none.
int descriptorNamedBy(std::string path) {
    struct stat reached {};
    if (::stat(path.c_str(), &reached) != 0)
        return -1;
    for (int hop = 0; hop < LinkHops; ++hop) {
        const std::string name = path.substr(path.rfind('/') + 1);  // npos + 1 is 0
        char* end = nullptr;
        const long number = std::strtol(name.c_str(), &end, 10);
        struct stat held {};
        if (!name.empty() && *end == '\0' && number >= 0 && number <= INT_MAX &&
            ::fstat(static_cast<int>(number), &held) == 0 && held.st_dev == reached.st_dev &&
            held.st_ino == reached.st_ino)
            return static_cast<int>(number);
        std::vector<char> link(static_cast<std::size_t>(PATH_MAX) + 1);
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size())
            return -1;
        const std::string named(link.data(), static_cast<std::size_t>(length));
        path = named.front() == '/' ? named : directoryOf(path) + named;
    }
    return -1;
}

// A socket cannot be opened again through its link (ENXIO): the process
// writes to it through the descriptor it holds, as a shell does for /dev/fd/N.
bool openInPlace(OutputFile& file, const Target& target) {
    if (file.openExisting(target.path))
        return true;
    if (errno != ENXIO)
        return false;
    const int descriptor = descriptorNamedBy(target.path);
    return descriptor >= 0 && file.useCopyOf(descriptor);
}

// Owner first: a change of owner clears the set-id bits that the mode restores.
void keepPermissions(OutputFile& file, const std::string&, const Target& target) {
    if (!target.exists)
        return;
    file.setOwner(target.owner, target.group);
    file.setMode(target.mode);  // best effort: a failure leaves the file its owner's alone
}

bool moveOver(const std::string& temporary, const Target& target) {
    return std::rename(temporary.c_str(), target.path.c_str()) == 0;
}

void removeFile(const std::string& path) {
    ::unlink(path.c_str());
}

// The rename lives in the directory: flushing it makes the new name durable.
// Best effort, since not every file system can flush a directory.
void flushDirectoryOf(const Target& target) {
    const std::string directory = directoryOf(target.path);
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

// The buffer that hands the bytes to an OutputFile.
class FileSink : public OutputBuffer {
public:
    explicit FileSink(OutputFile& file) : file_(file) {}

protected:
    bool deliver(const char* bytes, std::size_t count) override {
        return file_.write(bytes, count);
    }

private:
    OutputFile& file_;
};

// Runs `write` into `file`; true when every byte reached it.
bool fill(OutputFile& file, const std::function<void(OutputBuffer&)>& write) {
    FileSink sink(file);
    write(sink);
    return sink.finish() && sink.stream().good();
}

// Creates a temporary file beside the target under a fresh name.
bool createTemporary(OutputFile& file, const Target& target, std::string& temporary) {
    std::random_device random;
    for (int attempt = 0; attempt < TemporaryNameTries; ++attempt) {
        temporary = temporaryNameFor(target.path, random);
        if (createNew(file, temporary, target))
            return true;
        if (!file.nameWasTaken())
            return false;
    }
    return false;
}

void writeInPlace(const Target& target, const std::string& path,
                  const std::function<void(OutputBuffer&)>& write) {
    OutputFile file;
    if (!openInPlace(file, target))
        throw writeError(path, lastSystemError());
    const bool written = fill(file, write);
    if (!file.close() || !written)
        throw writeError(path, lastSystemError());
}

}  // namespace

XMLException fileSystemError(const char* message, const std::string& path, int error) {
    XMLException exception(message);
    exception.setSource(path);
    if (error != 0)
        exception.setSystemReason(std::generic_category().message(error));
    return exception;
}

// Lets `write` put the new content of `path` into an OutputBuffer (directly,
// or through its stream(), whose flushes go no further than the buffer),
// which hands it in large writes to a temporary file in the same directory;
// once every byte has reached the disk (fsync, FlushFileBuffers) the
// temporary file is renamed over `path` in one step (rename, MoveFileExW). On
// any failure the temporary file is removed and `path` is left as it was,
// then XMLException messages::CannotWriteFile naming the path is thrown; an
// exception from `write` itself is passed on after the same cleaning up. A
// file the process may not write is refused as opening it would be, although
// the rename itself would need only the directory. An existing target's
// permission bits are kept, and its owner and group as far as the process may
// give them (POSIX); until then the new file is its writer's alone. A
// symbolic link is followed, dangling or not, so the file it names is
// replaced (or made) and the link stays. A target that exists but is no
// regular file (a device, a FIFO, a pipe or socket reached through
// /dev/stdout or /dev/fd/N) cannot be replaced and is written in place
// instead; a socket, which cannot be opened again, through the process's own
// descriptor for it.
//
// `write` may refuse the content part way by throwing; the temporary file is
// then thrown away. `check`, when given, is the same refusal made before
// anything is written: it throws what `write` would throw. It runs on its own
// first where the refusal could not reach `write` (the file cannot be
// written, so the refusal is reported rather than the failure) or could not
// take back what `write` wrote (a target written in place).
//
// The system's error is cleared first and read at each failure, before
// anything else can change it, so a reason is the failing call's own or none.
void replaceFile(const std::string& path, const std::function<void(OutputBuffer&)>& write,
                 const std::function<void()>& check) {
    clearSystemError();
    const Target target = targetOf(path);
    if (!target.writable) {
        const int error = lastSystemError();
        if (check)
            check();
        throw writeError(path, error);
    }
    if (target.inPlace) {
        if (check)
            check();
        writeInPlace(target, path, write);
        return;
    }
    OutputFile file;
    std::string temporary;
    if (!createTemporary(file, target, temporary)) {
        const int error = lastSystemError();
        if (check)
            check();
        throw writeError(path, error);
    }
    bool done = false;
    try {
        // The new bytes stay private to this process until they are all
        // there; only then does the file take the old one's owner and mode.
        done = fill(file, write) && file.flushToDisk();
        keepPermissions(file, temporary, target);
        done = file.close() && done;
        done = done && moveOver(temporary, target);
    } catch (...) {
        file.close();
        removeFile(temporary);
        throw;
    }
    if (!done) {
        const int error = lastSystemError();
        removeFile(temporary);
        throw writeError(path, error);
    }
    flushDirectoryOf(target);
}

}  // namespace tarvik::xml
