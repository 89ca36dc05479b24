// Saving trees to files in both forms and loading the binary form back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#ifdef __linux__
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/allocation_probe.h"
#include "support/record_bytes.h"
#include "support/throwing_buffer.h"
#include "support/trees.h"
#include "xml/document.h"
#include "xml/file.h"
#include "xml/messages.h"

namespace fs = std::filesystem;
namespace messages = tarvik::xml::messages;
using tarvik::xml::ErrorCode;
using tarvik::xml::loadBinary;
using tarvik::xml::loadBinaryStream;
using tarvik::xml::loadMarkupStream;
using tarvik::xml::LoadOptions;
using tarvik::xml::saveBinary;
using tarvik::xml::saveText;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using testing_support::RecordBytes;
using testing_support::sameTree;
using testing_support::written;

namespace {

// A fresh directory under the system's temporary folder, removed with its
// contents when the test ends.
class TempDir {
public:
    TempDir() {
        std::random_device seed;
        path_ = fs::temp_directory_path() /
                ("tarvik_file_test_" + std::to_string(seed()) + "_" + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Bytes that a text-mode file would change on Windows: line ends in both
// conventions, the Ctrl-Z that ends a text file there, and zero bytes.
std::unique_ptr<XMLElement> awkwardTree() {
    auto tree = std::make_unique<XMLElement>("\xB8\xF9");
    tree->text = std::string("line\r\nnext\nend\x1A\0tail", 19);
    tree->appendAttribute(XMLAttribute("k", "\r\n\x1A"));
    XMLElement* child = tree->appendChild(std::make_unique<XMLElement>("c"));
    child->dataBracket = -95;
    child->appendChild(std::make_unique<XMLCData>("\n\r"));
    return tree;
}

// The same bytes where the text form can carry them: CR and a zero byte only
// where the reader keeps them (an attribute value, a CDATA section).
std::unique_ptr<XMLElement> awkwardTextTree() {
    auto tree = std::make_unique<XMLElement>("\xB8\xF9");
    tree->text = "line\nnext end\x1A";
    tree->appendAttribute(XMLAttribute("k", "\r\n\x1A"));
    XMLElement* child = tree->appendChild(std::make_unique<XMLElement>("c"));
    child->dataBracket = -95;
    child->appendChild(std::make_unique<XMLCData>("\n\r"));
    return tree;
}

// Entries of a directory, to show that no temporary file stayed behind.
std::vector<std::string> entriesOf(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

// The XMLException that `action` throws.
template <typename Action>
XMLException thrownBy(Action action) {
    try {
        action();
    } catch (const XMLException& error) {
        return error;
    }
    ADD_FAILURE() << "no XMLException";
    return XMLException("");
}

TEST(Files, SaveTextWritesExactlyThePrintedBytes) {
    TempDir dir;
    const auto tree = awkwardTextTree();
    saveText(*tree, dir.file("tree.xml"));
    std::ostringstream printed;
    tree->print(printed, 0);
    EXPECT_EQ(fileBytes(dir.file("tree.xml")), printed.str());
}

#ifdef __linux__
// Write system calls this process has made so far, as the kernel counts them
// (/proc/self/io), or -1 where it does not.
int64_t writeCallsSoFar() {
    std::ifstream io("/proc/self/io");
    for (std::string field; io >> field;) {
        int64_t value = 0;
        if (!(io >> value))
            return -1;
        if (field == "syscw:")
            return value;
    }
    return -1;
}
#endif

// <list> holding `count` lines <item>entry N</item>.
std::unique_ptr<XMLElement> longList(int count) {
    auto list = std::make_unique<XMLElement>("list");
    for (int i = 0; i < count; ++i)
        list->appendChild(std::make_unique<XMLElement>("item"))->text =
            "entry " + std::to_string(i);
    return list;
}

// print flushes its stream at every line break; a save holds the lines back
// and reaches the disk in large writes, whatever the form.
TEST(Files, SavingWritesInLargeBlocks) {
#ifdef __linux__
    constexpr int Lines = 20000;
    // At most one write per this many bytes, and a few more for the last block.
    constexpr std::uintmax_t BytesPerWrite = 32768;
    constexpr int64_t SpareWrites = 4;
    TempDir dir;
    const std::string path = dir.file("list.xml");
    XMLDocument document;
    const XMLElement& list = *document.root().appendChild(longList(Lines));
    const struct {
        const char* name;
        std::function<void()> save;
    } savers[] = {
        {"saveText", [&] { saveText(list, path); }},
        {"saveMarkupFile", [&] { document.saveMarkupFile(path); }},
        {"saveBinary", [&] { saveBinary(list, path); }},
    };
    for (const auto& saver : savers) {
        SCOPED_TRACE(saver.name);
        const int64_t before = writeCallsSoFar();
        if (before < 0)
            GTEST_SKIP() << "the kernel does not count write calls";
        saver.save();
        const int64_t writes = writeCallsSoFar() - before;
        const std::uintmax_t size = fs::file_size(path);
        EXPECT_GT(size, Lines * 16u);
        EXPECT_LE(writes, static_cast<int64_t>(size / BytesPerWrite) + SpareWrites);
    }
#else
    GTEST_SKIP() << "counts write calls through /proc/self/io";
#endif
}

TEST(Files, BinaryRoundTripKeepsEveryByte) {
    TempDir dir;
    const auto tree = awkwardTree();
    const std::string path = dir.file("tree.bin");
    saveBinary(*tree, path);
    EXPECT_EQ(fileBytes(path), written(*tree));
    const std::unique_ptr<XMLElement> loaded = loadBinary(path);
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(sameTree(*tree, *loaded));
}

// Also, off Windows, under a name at the system's limit of 255 bytes, which
// leaves a temporary name no room for a whole suffix of its own.
TEST(Files, SavingReplacesTheFile) {
    std::vector<std::string> names{"tree.bin"};
#ifndef _WIN32
    names.push_back(std::string(250, 'n'));
#endif
    for (const std::string& name : names) {
        TempDir dir;
        const std::string path = dir.file(name);
        putFile(path, std::string(1000, 'x'));
        saveBinary(XMLElement("a"), path);
        EXPECT_EQ(fileBytes(path), RecordBytes().leaf(1, "a", "").bytes());
        EXPECT_EQ(entriesOf(fs::path(path).parent_path()).size(), 1u);
    }
}

TEST(Files, LoadErrorsNameTheFileAndTheByte) {
    TempDir dir;
    const RecordBytes record = RecordBytes().leaf(1, "a", "").leaf(2, "", "x");
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
        int64_t offset;
    };
    const Case cases[] = {
        {"empty file", "", messages::StreamTruncated, 0},
        {"cut inside the name", record.bytes().substr(0, 8), messages::StreamTruncated, 4},
        {"unknown tag", RecordBytes().leaf(5, "", "").bytes(), messages::UnknownNodeType, 0},
        {"negative child count",
         RecordBytes().int32(1).string("").int32(0).string("").int32(0).int32(-1).bytes(),
         messages::InvalidLength, 20},
        {"a second record after the first", record.bytes(), messages::TrailingData, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.bin");
        putFile(path, c.bytes);
        const XMLException error = thrownBy([&] { loadBinary(path); });
        EXPECT_STREQ(error.what(), c.message);
        EXPECT_EQ(error.source(), path);
        EXPECT_EQ(error.offset(), c.offset);
        EXPECT_EQ(error.describe(), path + ": byte " + std::to_string(c.offset) + ": " + c.message);
    }
}

TEST(Files, AMissingFileCannotBeOpened) {
    TempDir dir;
    const std::string path = dir.file("missing.bin");
    const XMLException error = thrownBy([&] { loadBinary(path); });
    EXPECT_STREQ(error.what(), messages::CannotOpenFile);
    EXPECT_EQ(error.source(), path);
    EXPECT_EQ(error.offset(), -1);
    EXPECT_EQ(error.code(), ErrorCode::CannotOpenFile);
    const std::string reason = std::generic_category().message(ENOENT);
    EXPECT_EQ(error.systemReason(), reason);
    EXPECT_EQ(error.describe(), path + ": " + messages::CannotOpenFile + " (" + reason + ")");
}

TEST(Files, AFileThatCannotBeCreatedIsReported) {
    TempDir dir;
    const std::string path = dir.file("no_such_folder/tree.out");
    const XMLElement tree("a");
    for (const auto& save : {saveText, saveBinary}) {
        const XMLException error = thrownBy([&] { save(tree, path); });
        EXPECT_STREQ(error.what(), messages::CannotWriteFile);
        EXPECT_EQ(error.source(), path);
    }
    // A tree the text form cannot carry is refused as such, not as a file
    // that cannot be made.
    XMLElement unreadable("a");
    unreadable.text = "1 < 2";
    const XMLException refusal = thrownBy([&] { saveText(unreadable, path); });
    EXPECT_STREQ(refusal.what(), messages::LessThanInText);
    EXPECT_EQ(refusal.source(), path);
}

TEST(Files, AWriteThatFailsIsReported) {
#ifdef __linux__
    // /dev/full accepts the open and refuses every byte.
    const XMLElement tree("a");
    const XMLException error = thrownBy([&] { saveBinary(tree, "/dev/full"); });
    EXPECT_STREQ(error.what(), messages::CannotWriteFile);
    EXPECT_EQ(error.source(), "/dev/full");
#else
    GTEST_SKIP() << "needs a device that refuses writes";
#endif
}

// ------------------------------------------------------------ failed saves

// A node whose output fails half-way, as a full disk fails a write: it puts
// out some bytes, then marks the stream bad.
class FailingNode : public XMLElement {
public:
    FailingNode() : XMLElement("x") {}
    std::ostream& print(std::ostream& out, int32_t) const override { return fail(out); }
    void writeBinary(std::ostream& out) const override { fail(out); }

private:
    static std::ostream& fail(std::ostream& out) {
        out << "partial";
        out.setstate(std::ios::badbit);
        return out;
    }
};

// Both savers, and what each writes for the small tree <a>.
const struct Saver {
    const char* name;
    void (*save)(const XMLElement&, const std::string&);
} Savers[] = {{"saveText", saveText}, {"saveBinary", saveBinary}};

// Saving `tree` over a good file at `path` fails with both savers, and
// leaves the good file and nothing else.
void expectTheOldFileSurvives(const XMLElement& tree, const std::string& path) {
    const std::string old = "<old>good data</old>\n";
    for (const Saver& saver : Savers) {
        SCOPED_TRACE(saver.name);
        putFile(path, old);
        const XMLException error = thrownBy([&] { saver.save(tree, path); });
        EXPECT_STREQ(error.what(), messages::CannotWriteFile);
        EXPECT_EQ(error.source(), path);
        EXPECT_EQ(fileBytes(path), old);
        EXPECT_EQ(entriesOf(fs::path(path).parent_path()), std::vector<std::string>{"game.sav"});
    }
}

TEST(Files, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    expectTheOldFileSurvives(FailingNode(), dir.file("game.sav"));
}

#ifdef __linux__
// The user and group "nobody" of Linux systems.
constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// The mode of the temporary file beside `path` while a save writes it.
class ModeWatcher : public XMLElement {
public:
    explicit ModeWatcher(std::string path) : XMLElement("a"), path_(std::move(path)) {}
    void writeBinary(std::ostream& out) const override {
        for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
            struct stat status {};
            if (entry.path().string() != path_ && stat(entry.path().c_str(), &status) == 0)
                mode = status.st_mode & 07777;
        }
        XMLElement::writeBinary(out);
    }
    mutable mode_t mode = 0;

private:
    std::string path_;
};
#endif

// The new file is its writer's alone until it is written; then it takes the
// old one's mode, and its owner where this process may give it (as root).
TEST(Files, SavingKeepsTheFilesPermissions) {
#ifdef __linux__
    TempDir dir;
    const std::string path = dir.file("tree.bin");
    putFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), Nobody, NoGroup), 0);
    }
    const ModeWatcher tree(path);
    saveBinary(tree, path);
    EXPECT_EQ(tree.mode, 0600u);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(status.st_uid, root ? Nobody : geteuid());
    EXPECT_EQ(fileBytes(path), RecordBytes().leaf(1, "a", "").bytes());
#else
    GTEST_SKIP() << "POSIX permission bits";
#endif
}

#ifdef __linux__
// Runs `action` where file permissions apply: here, or, when this process is
// root (which may write any file), in a child process turned into nobody.
// Gives what `action` returned.
template <typename Action>
bool withoutPrivilege(Action action) {
    if (geteuid() != 0)
        return action();
    const pid_t child = fork();
    if (child == 0)
        _exit(setgid(NoGroup) == 0 && setuid(Nobody) == 0 && action() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(Files, AFileTheProcessMayNotWriteIsNotReplaced) {
    TempDir dir;
    const std::string path = dir.file("game.sav");
    putFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(fs::path(path).parent_path().c_str(), 0777), 0);  // the rename could
    EXPECT_TRUE(withoutPrivilege([&] {
        try {
            saveBinary(XMLElement("a"), path);
        } catch (const XMLException& error) {
            return std::string(error.what()) == messages::CannotWriteFile;
        }
        return false;
    }));
    EXPECT_EQ(fileBytes(path), "old");
    EXPECT_EQ(entriesOf(fs::path(path).parent_path()), std::vector<std::string>{"game.sav"});
}

// Symbolic links are followed to the file they name, which a save replaces or
// makes; the links stay links.
TEST(Files, SavingThroughLinksWritesTheFileTheyName) {
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, what it names
        const char* file;  // where the bytes go; null: the save is refused
        bool fileExists;
    } cases[] = {
        {"to a file", {{"link", "game.sav"}}, "game.sav", true},
        {"dangling", {{"link", "game.sav"}}, "game.sav", false},
        {"relative to its folder",
         {{"link", "sub/hop"}, {"sub/hop", "game.sav"}},
         "sub/game.sav",
         false},
        {"absolute", {{"link", "@game.sav"}}, "game.sav", false},
        {"a loop, refused", {{"link", "loop"}, {"loop", "link"}}, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directory(dir.file("sub"));
        if (c.fileExists)
            putFile(dir.file(c.file), "old");
        for (const auto& [link, named] : c.links)
            fs::create_symlink(named[0] == '@' ? dir.file(named.substr(1)) : named, dir.file(link));
        if (!c.file) {
            const XMLException error =
                thrownBy([&] { saveBinary(XMLElement("a"), dir.file("link")); });
            EXPECT_STREQ(error.what(), messages::CannotWriteFile);
        } else {
            saveBinary(XMLElement("a"), dir.file("link"));
            EXPECT_EQ(fileBytes(dir.file(c.file)), RecordBytes().leaf(1, "a", "").bytes());
        }
        for (const auto& entry : c.links)
            EXPECT_TRUE(fs::is_symlink(dir.file(entry.first)));
    }
}

#endif

#ifdef __linux__
// The reported case: /dev/stdout and /dev/fd/N on a pipe lead to the
// kernel's "pipe:[...]" link, which was taken for a dangling one, so the
// save tried to make a temporary file in /proc/self/fd and failed. A pipe or
// socket that a link names is written in place; a socket, which cannot be
// opened again, through the descriptor the process holds.
TEST(Files, SavingThroughLinksToAPipeOrSocketWritesInPlace) {
    const struct {
        const char* what;
        bool socket;
        const char* form;  // the path, with N for the descriptor to write
    } cases[] = {
        {"a pipe as /dev/fd/N", false, "/dev/fd/N"},
        {"a pipe as /proc/self/fd/N", false, "/proc/self/fd/N"},
        {"a link of our own to a pipe", false, "link"},
        {"a socket as /dev/fd/N", true, "/dev/fd/N"},
        {"a link of our own to a socket", true, "link"},
    };
    const std::string record = RecordBytes().leaf(1, "a", "").bytes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int ends[2];  // read, write
        ASSERT_EQ(c.socket ? socketpair(AF_UNIX, SOCK_STREAM, 0, ends) : pipe(ends), 0);
        const std::string named = "/dev/fd/" + std::to_string(ends[1]);
        TempDir dir;
        std::string path = c.form;
        if (path == "link")
            fs::create_symlink(named, path = dir.file("link"));
        else
            path.replace(path.find('N'), 1, std::to_string(ends[1]));
        saveBinary(XMLElement("a"), path);
        close(ends[1]);
        std::string got(record.size() + 1, '\0');
        got.resize(
            static_cast<std::size_t>(std::max<ssize_t>(0, read(ends[0], &got[0], got.size()))));
        close(ends[0]);
        EXPECT_EQ(got, record);
        EXPECT_EQ(entriesOf(dir.file("")).size(), path == dir.file("link") ? 1u : 0u);
    }
}

// A 64 KiB tmpfs mounted for one test, or none where mounting is not allowed.
class SmallDisk {
public:
    SmallDisk() {
        char pattern[] = "/tmp/tarvik_small_disk_XXXXXX";
        if (!mkdtemp(pattern))
            return;
        path_ = pattern;
        mounted_ = mount("tmpfs", pattern, "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            umount(path_.c_str());
        if (!path_.empty())
            rmdir(path_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    bool makeReadOnly() {
        return mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }

private:
    std::string path_;
    bool mounted_ = false;
};
#endif

// The reported case: saving a tree too large for the disk over a good file
// used to leave a 65,536-byte partial file where the good one had been.
TEST(Files, AFullDiskOrAReadOnlyDirectoryLeavesTheOldFile) {
#ifdef __linux__
    SmallDisk disk;
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    XMLElement big("big");
    big.text = std::string(100000, 'x');
    expectTheOldFileSurvives(big, disk.file("game.sav"));
    ASSERT_TRUE(disk.makeReadOnly());
    expectTheOldFileSurvives(XMLElement("a"), disk.file("game.sav"));
#else
    GTEST_SKIP() << "needs tmpfs";
#endif
}

// ------------------------------------------------------------ bounded loads

#ifdef __linux__
// A pipe holding `bytes` and closed for writing, named as /dev/fd/N: a source
// with no size.
class FilledPipe {
public:
    explicit FilledPipe(const std::string& bytes) {
        if (pipe(ends_) == 0 && write(ends_[1], bytes.data(), bytes.size()) >= 0)
            close(ends_[1]);
    }
    ~FilledPipe() { close(ends_[0]); }
    FilledPipe(const FilledPipe&) = delete;
    FilledPipe& operator=(const FilledPipe&) = delete;
    std::string path() const { return "/dev/fd/" + std::to_string(ends_[0]); }

private:
    int ends_[2] = {-1, -1};
};
#endif

TEST(Files, SourcesWithoutASizeStopAtTheLimit) {
#ifdef __linux__
    const std::string record = RecordBytes().leaf(1, "a", std::string(40, 't')).bytes();
    LoadOptions small;
    small.streamLimit = 32;
    struct Case {
        const char* what;
        std::string bytes;
        bool binary;
        const char* message;
        int64_t offset;
        const char* file = nullptr;  // read instead of a pipe holding `bytes`
    };
    const Case cases[] = {
        {"markup past the limit", "<a>" + std::string(100, 'x') + "</a>", false,
         messages::InputTooLarge, 32},
        {"a record past the limit", record, true, messages::InputTooLarge, 32},
        {"endless zeros as markup", "", false, messages::ZeroByteInFile, 0, "/dev/zero"},
        {"endless zeros as a record", "", true, messages::UnknownNodeType, 0, "/dev/zero"},
        {"a regular file that reports size 0 (procfs), past the limit", "", false,
         messages::InputTooLarge, 32, "/proc/self/status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FilledPipe pipe(c.bytes);
        const std::string path = c.file ? c.file : pipe.path();
        const XMLException error = thrownBy([&] {
            if (c.binary)
                loadBinary(path, small);
            else
                XMLDocument().loadMarkupFile(path, small);
        });
        EXPECT_STREQ(error.what(), c.message);
        EXPECT_EQ(error.source(), path);
        EXPECT_EQ(error.offset(), c.offset);
    }
    // Within the limit both read as from a file.
    FilledPipe fits("<a/>");
    XMLDocument document;
    document.loadMarkupFile(fits.path(), small);
    EXPECT_EQ(document.root().children.size(), 1u);
    // The reported case: a thread's name under /proc, a regular file of size
    // 0, held markup that loaded as nothing.
    const std::string comm = "/proc/thread-self/comm";
    const std::string name = fileBytes(comm);
    putFile(comm, "<![CDATA[x]]>");
    document.loadMarkupFile(comm, small);
    putFile(comm, name);
    ASSERT_EQ(document.root().children.size(), 1u);
    EXPECT_EQ(document.root().children.front()->text, "x");
#else
    GTEST_SKIP() << "needs /dev/fd and /dev/zero";
#endif
}

TEST(Files, RunningOutOfMemoryNamesTheFile) {
    TempDir dir;
    const std::string markup = dir.file("big.xml");
    const std::string binary = dir.file("big.bin");
    putFile(markup, "<a>" + std::string(1 << 20, 'x') + "</a>");
    saveBinary(XMLElement(std::string(1 << 20, 'n')), binary);
    for (const std::string& path : {markup, binary}) {
        SCOPED_TRACE(path);
        testing_support::AllocationProbe probe;
        probe.refuseAbove(1 << 19);
        const XMLException error = thrownBy([&] {
            if (path == binary)
                loadBinary(path);
            else
                XMLDocument().loadMarkupFile(path);
        });
        EXPECT_STREQ(error.what(), messages::OutOfMemory);
        EXPECT_EQ(error.source(), path);
    }
}

// A source that runs out of memory after its first bytes, as one that
// decompresses might: both stream loaders say so, not that the data ended.
using ExhaustedSource = testing_support::ThrowingBuffer<std::bad_alloc>;

TEST(Files, ASourceOutOfMemoryIsReportedAsSuch) {
    std::ostringstream record;
    XMLElement("named").writeBinary(record);
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        ExhaustedSource source(binary ? record.str().substr(0, 10) : "<a><b");
        std::istream in(&source);
        const XMLException error = thrownBy([&] {
            if (binary) {
                loadBinaryStream(in, "pipe");
            } else {
                XMLDocument document;
                loadMarkupStream(document, in, "pipe");
            }
        });
        EXPECT_STREQ(error.what(), messages::OutOfMemory);
        EXPECT_EQ(error.source(), "pipe");
    }
}

TEST(Files, AFolderCannotBeOpenedByEitherLoader) {
    TempDir dir;
    const std::string folder = dir.file("");
    EXPECT_STREQ(thrownBy([&] { loadBinary(folder); }).what(), messages::CannotOpenFile);
    EXPECT_STREQ(thrownBy([&] { XMLDocument().loadMarkupFile(folder); }).what(),
                 messages::CannotOpenFile);
}

// ------------------------------------------------------------ saving text

// A tree whose text form does not read back, and what saveText says.
struct RefusedTree {
    const char* what;
    std::unique_ptr<XMLElement> (*tree)();
    const char* message;
    const char* node;
};

std::unique_ptr<XMLElement> element(const std::string& name, const std::string& text = "") {
    auto node = std::make_unique<XMLElement>(name);
    node->text = text;
    return node;
}

std::unique_ptr<XMLElement> withAttribute(const std::string& name, const std::string& value) {
    auto node = element("note");
    node->appendAttribute(XMLAttribute(name, value));
    return node;
}

std::unique_ptr<XMLElement> bracketed(int32_t bracket, const std::string& text) {
    auto node = element("a", text);
    node->dataBracket = bracket;
    return node;
}

// <a><b/><b>CHILD</b></a>: the fault two levels down.
std::unique_ptr<XMLElement> nested(std::unique_ptr<XMLElement> child) {
    auto top = element("a");
    top->appendChild(element("b"));
    top->appendChild(element("b"))->appendChild(std::move(child));
    return top;
}

const RefusedTree RefusedTrees[] = {
    {"the reported case: a quote in a value", [] { return withAttribute("title", "say \"hi\""); },
     messages::QuoteInAttributeValue, "/note[1]@title"},
    {"a < in a text", [] { return element("note", "1 < 2"); }, messages::LessThanInText,
     "/note[1]"},
    {"an empty name", [] { return element(""); }, messages::NameNotReadable, "/[1]"},
    {"a space in a name", [] { return element("a b"); }, messages::NameNotReadable, "/a b[1]"},
    {"a zero byte in a text", [] { return element("a", std::string("a\0b", 3)); },
     messages::ZeroByteInTree, "/a[1]"},
    {"a CR in a text", [] { return element("a", "x\r\ny"); }, messages::LayoutInText, "/a[1]"},
    {"a text opening with LF", [] { return bracketed('|', "\nx"); }, messages::LayoutInText,
     "/a[1]"},
    {"a text opening with the escape", [] { return element("a", "[[data|x|data]]"); },
     messages::EscapeOpenerInText, "/a[1]"},
    {"a text holding its terminator", [] { return bracketed('|', "x|data]]y"); },
     messages::TerminatorInText, "/a[1]"},
    {"a text whose end and the terminator spell it sooner",
     [] { return bracketed(']', "x]data]"); }, messages::TerminatorInText, "/a[1]"},
    {"a bracket beyond one byte", [] { return bracketed(0x17C, "x"); },
     messages::InvalidDataBracket, "/a[1]"},
    {"a CDATA section holding ]]>", [] { return nested(std::make_unique<XMLCData>("x]]>y")); },
     messages::TerminatorInText, "/a[1]/b[2]/#cdata[1]"},
    {"a CDATA section with a child",
     [] {
         auto cdata = std::make_unique<XMLCData>("x");
         cdata->appendChild(element("b"));
         return nested(std::move(cdata));
     },
     messages::CDataNotPlain, "/a[1]/b[2]/#cdata[1]"},
    {"a text before a CDATA child",
     [] {
         auto top = element("a", "text");
         top->appendChild(std::make_unique<XMLCData>("x"));
         return top;
     },
     messages::TextBeforeCData, "/a[1]"},
    {"the reported case: a text before a CDATA child behind a null entry",
     [] {
         auto top = element("a", "t");
         top->children.push_back(nullptr);
         top->appendChild(std::make_unique<XMLCData>("c"));
         return top;
     },
     messages::TextBeforeCData, "/a[1]"},
    {"below the top, a text with null entries alone, which gains the closing tabs",
     [] {
         auto top = element("a");
         top->appendChild(element("b", "t"))->children.push_back(nullptr);
         return top;
     },
     messages::NullChild, "/a[1]/b[1]"},
};

TEST(Files, SaveTextRefusesWhatTheTextFormCannotCarry) {
    TempDir dir;
    const std::string path = dir.file("tree.xml");
    for (const RefusedTree& c : RefusedTrees) {
        SCOPED_TRACE(c.what);
        const auto tree = c.tree();
        const XMLException error = thrownBy([&] { saveText(*tree, path); });
        EXPECT_STREQ(error.what(), c.message);
        EXPECT_EQ(error.source(), path);
        EXPECT_EQ(error.node(), c.node);
        EXPECT_FALSE(fs::exists(path));
    }
}

// A save checks each node as it writes it, so a fault far down a large tree
// is found after the first blocks of the new file are written: the old file
// stays as it was all the same, and no temporary file is left.
TEST(Files, AFaultFoundPartWayLeavesTheOldFile) {
    constexpr int Lines = 20000;
    TempDir dir;
    const std::string path = dir.file("game.sav");
    XMLDocument document;
    document.root().appendChild(element("first"));
    document.root().appendChild(longList(Lines))->appendChild(element("item", "1 < 2"));
    const std::string old = "<old>good data</old>\n";
    const struct {
        const char* name;
        std::function<void()> save;
        const char* node;
    } savers[] = {
        {"saveText", [&] { saveText(*document.root().children.back(), path); }, "/list[1]"},
        {"saveMarkupFile", [&] { document.saveMarkupFile(path); }, "/list[2]"},
    };
    for (const auto& saver : savers) {
        SCOPED_TRACE(saver.name);
        putFile(path, old);
        const XMLException error = thrownBy(saver.save);
        EXPECT_STREQ(error.what(), messages::LessThanInText);
        EXPECT_EQ(error.source(), path);
        EXPECT_EQ(error.node(),
                  std::string(saver.node) + "/item[" + std::to_string(Lines + 1) + "]");
        EXPECT_EQ(fileBytes(path), old);
        EXPECT_EQ(entriesOf(fs::path(path).parent_path()), std::vector<std::string>{"game.sav"});
    }
}

TEST(Files, WhatSaveTextAcceptsReadsBackTheSame) {
    TempDir dir;
    const std::string path = dir.file("tree.xml");
    std::vector<std::unique_ptr<XMLElement>> trees;
    trees.push_back(awkwardTextTree());
    trees.push_back(bracketed('|', "1 < 2 | data]] [[data"));
    trees.push_back(bracketed(-95, ""));
    trees.push_back(withAttribute("[1]", "<a> \r\n 'x'"));
    trees.push_back(nested(std::make_unique<XMLCData>("]] ]>\r\n<b>")));
    trees.push_back(element("a", "  spaces first, [[dat"));
    for (const auto& tree : trees) {
        SCOPED_TRACE(tree->name);
        saveText(*tree, path);
        XMLDocument document;
        document.loadMarkupFile(path);
        ASSERT_EQ(document.root().children.size(), 1u);
        EXPECT_TRUE(sameTree(*tree, *document.root().children.front()));
    }
}

TEST(Files, SaveMarkupFileRoundTripsADocument) {
    TempDir dir;
    const std::string path = dir.file("game.xml");
    putFile(
        path,
        "<?xml version=\"1.0\"?>\n<game title=\"\xD6\xD0\">\n\t<motd>[[data|1 < 2|data]]</motd>\n"
        "\t<![CDATA[raw]]>\n</game>\n<second/>\n");
    XMLDocument first;
    first.loadMarkupFile(path);
    // The reported case: saving the root with saveText nested one more root on every cycle.
    first.saveMarkupFile(path);
    XMLDocument second;
    second.loadMarkupFile(path);
    EXPECT_TRUE(sameTree(first.root(), second.root()));
    tarvik::xml::saveMarkupFile(second, path);
    XMLDocument third;
    third.loadMarkupFile(path);
    EXPECT_TRUE(sameTree(first.root(), third.root()));

    third.root().appendAttribute(XMLAttribute("lost", "1"));
    EXPECT_STREQ(thrownBy([&] { third.saveMarkupFile(path); }).what(), messages::RootNotPlain);
}

}  // namespace
