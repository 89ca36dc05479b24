// Saving trees to files in both forms and loading the binary form back.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "support/record_bytes.h"
#include "support/trees.h"
#include "xml/document.h"
#include "xml/file.h"
#include "xml/messages.h"

namespace fs = std::filesystem;
namespace messages = tarvik::xml::messages;
using tarvik::xml::loadBinary;
using tarvik::xml::saveBinary;
using tarvik::xml::saveText;
using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLCData;
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

TEST(Files, SavingReplacesTheFile) {
    TempDir dir;
    const std::string path = dir.file("tree.bin");
    putFile(path, std::string(1000, 'x'));
    saveBinary(XMLElement("a"), path);
    EXPECT_EQ(fileBytes(path), RecordBytes().leaf(1, "a", "").bytes());
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
    EXPECT_EQ(error.describe(), path + ": " + messages::CannotOpenFile);
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

}  // namespace
