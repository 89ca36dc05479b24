// A test fixture with a document and a scratch file of the test's own name,
// removed afterwards: for tests that load what they wrote.
#ifndef TESTS_SUPPORT_DOCUMENT_FILE_H
#define TESTS_SUPPORT_DOCUMENT_FILE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "xml/document.h"

namespace testing_support {

class DocumentFile : public testing::Test {
protected:
    void SetUp() override {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = testing::TempDir() + "tarvik_" + test->test_suite_name() + "_" + test->name() +
                ".xml";
    }
    void TearDown() override { std::remove(path_.c_str()); }

    // Replaces the file's bytes with `content`.
    void write(const std::string& content) {
        std::ofstream out(path_, std::ios::binary);
        out << content;
    }

    std::string path_;
    tarvik::xml::XMLDocument document;
};

}  // namespace testing_support

#endif  // TESTS_SUPPORT_DOCUMENT_FILE_H
