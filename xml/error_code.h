// ErrorCode: what went wrong, for a program to act on without comparing
// message bytes; each message of xml/messages.h has exactly one:
//
//     try {
//         doc.loadMarkupFile("game.xml");
//     } catch (const tarvik::xml::XMLException& error) {
//         if (error.code() == tarvik::xml::ErrorCode::CannotOpenFile)
//             useDefaults();
//         log(tarvik::xml::errorName(error.code()), error.describe());
//     }
//
// The numbers are stable: new codes go at the end, none is renumbered or reused.
#ifndef TARVIK_XML_ERROR_CODE_H
#define TARVIK_XML_ERROR_CODE_H

#include <cstdint>

#include "xml/export.h"

namespace tarvik::xml {

enum class ErrorCode : int32_t {
    // No failure: a parseBrace that succeeded.
    None = 0,
    // A message the library does not list (an XMLException made by hand).
    Other = -1,
    // One per message of xml/messages.h, named after it; see there for what each means.
    BracketMismatch = 1,
    BracketsTooDeep = 2,
    TagNotClosed = 3,
    MissingElementName = 4,
    DeclarationNotClosed = 5,
    EndTagMissingGreater = 6,
    ElementMismatch = 7,
    CDataNotClosed = 8,
    AttributeMissingEquals = 9,
    AttributeMissingQuote = 10,
    IllegalCharacter = 11,
    NestingTooDeep = 12,
    MisplacedTypeDeclaration = 13,
    NameTooLong = 14,
    StreamTruncated = 15,
    UnknownNodeType = 16,
    InvalidLength = 17,
    TrailingData = 18,
    CannotOpenFile = 19,
    CannotWriteFile = 20,
    InputTooLarge = 21,
    OutOfMemory = 22,
    ZeroByteInFile = 23,
    UnicodeFile = 24,
    NameNotReadable = 25,
    QuoteInAttributeValue = 26,
    ZeroByteInTree = 27,
    LessThanInText = 28,
    TerminatorInText = 29,
    LayoutInText = 30,
    EscapeOpenerInText = 31,
    InvalidDataBracket = 32,
    TextBeforeCData = 33,
    CDataNotPlain = 34,
    RootNotPlain = 35,
    BraceCommentMarker = 36,
    BraceLeadingQuote = 37,
    BraceTextWithoutName = 38,
    BraceCannotHoldCData = 39,
    BraceCannotHoldDataBracket = 40,
    NullChild = 41,
    NoElement = 42,
    XmlNoRootElement = 43,
    XmlSecondRootElement = 44,
    XmlOutsideRoot = 45,
    XmlElementNotClosed = 46,
    XmlEndTagMismatch = 47,
    XmlInvalidName = 48,
    XmlInvalidCharacter = 49,
    XmlEncodingViolation = 50,
    XmlBadTag = 51,
    XmlBadAttribute = 52,
    XmlMissingSpace = 53,
    XmlLessThanInAttribute = 54,
    XmlDuplicateAttribute = 55,
    XmlBadReference = 56,
    XmlBareLessThan = 57,
    XmlCDataEndInText = 58,
    XmlInvalidCharRef = 59,
    XmlCharRefNotEncodable = 60,
    XmlUndeclaredEntity = 61,
    XmlRecursiveEntity = 62,
    XmlExternalEntityInAttribute = 63,
    XmlExternalEntityNotRead = 64,
    XmlUnparsedEntity = 65,
    XmlEntityNotBalanced = 66,
    XmlEntityExpansionLimit = 67,
    XmlBadComment = 68,
    XmlCommentNotClosed = 69,
    XmlCDataNotClosed = 70,
    XmlBadMarkup = 71,
    XmlBadInstruction = 72,
    XmlInstructionNotClosed = 73,
    XmlReservedTarget = 74,
    XmlBadDeclaration = 75,
    XmlEncodingMismatch = 76,
    XmlBadDoctype = 77,
    XmlMisplacedDoctype = 78,
    XmlBadDtdContent = 79,
    XmlBadElementDecl = 80,
    XmlBadAttlistDecl = 81,
    XmlBadEntityDecl = 82,
    XmlBadNotationDecl = 83,
    XmlPEInDeclaration = 84,
    XmlConditionalSection = 85,
    XmlNameNotWritable = 86,
    XmlTextNotWritable = 87,
    XmlDataBracketNotWritable = 88,
};

// The code's name for logs ("CannotOpenFile"); "Unknown" for a number that is no code.
TARVIK_XML_API const char* errorName(ErrorCode code);
// The fixed GB2312 message of a code, or null for None, Other and a number that is no code.
TARVIK_XML_API const char* errorMessage(ErrorCode code);
// The code of a message text, compared by content; ErrorCode::Other for any other text or null.
TARVIK_XML_API ErrorCode errorCodeOf(const char* message);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_ERROR_CODE_H
