// Error codes: one per failure, stable numbers, names for logs, and the code
// every exception of the library carries.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "xml/document.h"
#include "xml/messages.h"

using namespace tarvik::xml;

namespace {

struct CodeCase {
    ErrorCode code;
    int32_t number;  // the published number, which never changes
};

const CodeCase CodeCases[] = {
    {ErrorCode::BracketMismatch, 1},
    {ErrorCode::BracketsTooDeep, 2},
    {ErrorCode::TagNotClosed, 3},
    {ErrorCode::MissingElementName, 4},
    {ErrorCode::DeclarationNotClosed, 5},
    {ErrorCode::EndTagMissingGreater, 6},
    {ErrorCode::ElementMismatch, 7},
    {ErrorCode::CDataNotClosed, 8},
    {ErrorCode::AttributeMissingEquals, 9},
    {ErrorCode::AttributeMissingQuote, 10},
    {ErrorCode::IllegalCharacter, 11},
    {ErrorCode::NestingTooDeep, 12},
    {ErrorCode::MisplacedTypeDeclaration, 13},
    {ErrorCode::NameTooLong, 14},
    {ErrorCode::StreamTruncated, 15},
    {ErrorCode::UnknownNodeType, 16},
    {ErrorCode::InvalidLength, 17},
    {ErrorCode::TrailingData, 18},
    {ErrorCode::CannotOpenFile, 19},
    {ErrorCode::CannotWriteFile, 20},
    {ErrorCode::InputTooLarge, 21},
    {ErrorCode::OutOfMemory, 22},
    {ErrorCode::ZeroByteInFile, 23},
    {ErrorCode::UnicodeFile, 24},
    {ErrorCode::NameNotReadable, 25},
    {ErrorCode::QuoteInAttributeValue, 26},
    {ErrorCode::ZeroByteInTree, 27},
    {ErrorCode::LessThanInText, 28},
    {ErrorCode::TerminatorInText, 29},
    {ErrorCode::LayoutInText, 30},
    {ErrorCode::EscapeOpenerInText, 31},
    {ErrorCode::InvalidDataBracket, 32},
    {ErrorCode::TextBeforeCData, 33},
    {ErrorCode::CDataNotPlain, 34},
    {ErrorCode::RootNotPlain, 35},
    {ErrorCode::BraceCommentMarker, 36},
    {ErrorCode::BraceLeadingQuote, 37},
    {ErrorCode::BraceTextWithoutName, 38},
    {ErrorCode::BraceCannotHoldCData, 39},
    {ErrorCode::BraceCannotHoldDataBracket, 40},
    {ErrorCode::NullChild, 41},
    {ErrorCode::NoElement, 42},
    {ErrorCode::XmlNoRootElement, 43},
    {ErrorCode::XmlSecondRootElement, 44},
    {ErrorCode::XmlOutsideRoot, 45},
    {ErrorCode::XmlElementNotClosed, 46},
    {ErrorCode::XmlEndTagMismatch, 47},
    {ErrorCode::XmlInvalidName, 48},
    {ErrorCode::XmlInvalidCharacter, 49},
    {ErrorCode::XmlEncodingViolation, 50},
    {ErrorCode::XmlBadTag, 51},
    {ErrorCode::XmlBadAttribute, 52},
    {ErrorCode::XmlMissingSpace, 53},
    {ErrorCode::XmlLessThanInAttribute, 54},
    {ErrorCode::XmlDuplicateAttribute, 55},
    {ErrorCode::XmlBadReference, 56},
    {ErrorCode::XmlBareLessThan, 57},
    {ErrorCode::XmlCDataEndInText, 58},
    {ErrorCode::XmlInvalidCharRef, 59},
    {ErrorCode::XmlCharRefNotEncodable, 60},
    {ErrorCode::XmlUndeclaredEntity, 61},
    {ErrorCode::XmlRecursiveEntity, 62},
    {ErrorCode::XmlExternalEntityInAttribute, 63},
    {ErrorCode::XmlExternalEntityNotRead, 64},
    {ErrorCode::XmlUnparsedEntity, 65},
    {ErrorCode::XmlEntityNotBalanced, 66},
    {ErrorCode::XmlEntityExpansionLimit, 67},
    {ErrorCode::XmlBadComment, 68},
    {ErrorCode::XmlCommentNotClosed, 69},
    {ErrorCode::XmlCDataNotClosed, 70},
    {ErrorCode::XmlBadMarkup, 71},
    {ErrorCode::XmlBadInstruction, 72},
    {ErrorCode::XmlInstructionNotClosed, 73},
    {ErrorCode::XmlReservedTarget, 74},
    {ErrorCode::XmlBadDeclaration, 75},
    {ErrorCode::XmlEncodingMismatch, 76},
    {ErrorCode::XmlBadDoctype, 77},
    {ErrorCode::XmlMisplacedDoctype, 78},
    {ErrorCode::XmlBadDtdContent, 79},
    {ErrorCode::XmlBadElementDecl, 80},
    {ErrorCode::XmlBadAttlistDecl, 81},
    {ErrorCode::XmlBadEntityDecl, 82},
    {ErrorCode::XmlBadNotationDecl, 83},
    {ErrorCode::XmlPEInDeclaration, 84},
    {ErrorCode::XmlConditionalSection, 85},
    {ErrorCode::XmlNameNotWritable, 86},
    {ErrorCode::XmlTextNotWritable, 87},
    {ErrorCode::XmlDataBracketNotWritable, 88},
};

}  // namespace

TEST(ErrorCode, EachMessageHasOneStableCodeAndName) {
    std::set<std::string> messages;
    std::set<std::string> names;
    for (const CodeCase& c : CodeCases) {
        SCOPED_TRACE(errorName(c.code));
        EXPECT_EQ(static_cast<int32_t>(c.code), c.number);
        const char* message = errorMessage(c.code);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(errorCodeOf(message), c.code);
        EXPECT_EQ(XMLException(message, 3).code(), c.code);
        EXPECT_TRUE(messages.insert(message).second) << "two codes share a message";
        EXPECT_TRUE(names.insert(errorName(c.code)).second);
    }
    EXPECT_STREQ(errorName(ErrorCode::CannotOpenFile), "CannotOpenFile");
    EXPECT_STREQ(errorName(static_cast<ErrorCode>(99999)), "Unknown");
    EXPECT_EQ(errorMessage(ErrorCode::None), nullptr);
    EXPECT_EQ(errorCodeOf("not a message of the library"), ErrorCode::Other);
    EXPECT_EQ(XMLException(nullptr).code(), ErrorCode::Other);
}

TEST(ErrorCode, ParseErrorsCarryTheirCode) {
    const struct {
        const char* text;
        ErrorCode code;
    } cases[] = {
        {"<a><b></a>", ErrorCode::ElementMismatch},
        {"<a", ErrorCode::TagNotClosed},
        {"<a x=1/>", ErrorCode::AttributeMissingQuote},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        XMLDocument document;
        try {
            document.parseMarkup(c.text);
            ADD_FAILURE() << "no error";
        } catch (const XMLException& error) {
            EXPECT_EQ(error.code(), c.code) << errorName(error.code());
        }
    }
}
