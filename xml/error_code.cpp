// The table behind ErrorCode: each code with its message and its name.
#include "xml/error_code.h"

#include <cstring>

#include "xml/messages.h"

namespace tarvik::xml {

namespace {

struct CodeEntry {
    ErrorCode code;
    const char* message;
    const char* name;
};

constexpr CodeEntry Codes[] = {
    {ErrorCode::None, nullptr, "None"},
    {ErrorCode::Other, nullptr, "Other"},
    {ErrorCode::BracketMismatch, messages::BracketMismatch, "BracketMismatch"},
    {ErrorCode::BracketsTooDeep, messages::BracketsTooDeep, "BracketsTooDeep"},
    {ErrorCode::TagNotClosed, messages::TagNotClosed, "TagNotClosed"},
    {ErrorCode::MissingElementName, messages::MissingElementName, "MissingElementName"},
    {ErrorCode::DeclarationNotClosed, messages::DeclarationNotClosed, "DeclarationNotClosed"},
    {ErrorCode::EndTagMissingGreater, messages::EndTagMissingGreater, "EndTagMissingGreater"},
    {ErrorCode::ElementMismatch, messages::ElementMismatch, "ElementMismatch"},
    {ErrorCode::CDataNotClosed, messages::CDataNotClosed, "CDataNotClosed"},
    {ErrorCode::AttributeMissingEquals, messages::AttributeMissingEquals, "AttributeMissingEquals"},
    {ErrorCode::AttributeMissingQuote, messages::AttributeMissingQuote, "AttributeMissingQuote"},
    {ErrorCode::IllegalCharacter, messages::IllegalCharacter, "IllegalCharacter"},
    {ErrorCode::NestingTooDeep, messages::NestingTooDeep, "NestingTooDeep"},
    {ErrorCode::MisplacedTypeDeclaration, messages::MisplacedTypeDeclaration,
     "MisplacedTypeDeclaration"},
    {ErrorCode::NameTooLong, messages::NameTooLong, "NameTooLong"},
    {ErrorCode::StreamTruncated, messages::StreamTruncated, "StreamTruncated"},
    {ErrorCode::UnknownNodeType, messages::UnknownNodeType, "UnknownNodeType"},
    {ErrorCode::InvalidLength, messages::InvalidLength, "InvalidLength"},
    {ErrorCode::TrailingData, messages::TrailingData, "TrailingData"},
    {ErrorCode::CannotOpenFile, messages::CannotOpenFile, "CannotOpenFile"},
    {ErrorCode::CannotWriteFile, messages::CannotWriteFile, "CannotWriteFile"},
    {ErrorCode::InputTooLarge, messages::InputTooLarge, "InputTooLarge"},
    {ErrorCode::OutOfMemory, messages::OutOfMemory, "OutOfMemory"},
    {ErrorCode::ZeroByteInFile, messages::ZeroByteInFile, "ZeroByteInFile"},
    {ErrorCode::UnicodeFile, messages::UnicodeFile, "UnicodeFile"},
    {ErrorCode::NameNotReadable, messages::NameNotReadable, "NameNotReadable"},
    {ErrorCode::QuoteInAttributeValue, messages::QuoteInAttributeValue, "QuoteInAttributeValue"},
    {ErrorCode::ZeroByteInTree, messages::ZeroByteInTree, "ZeroByteInTree"},
    {ErrorCode::LessThanInText, messages::LessThanInText, "LessThanInText"},
    {ErrorCode::TerminatorInText, messages::TerminatorInText, "TerminatorInText"},
    {ErrorCode::LayoutInText, messages::LayoutInText, "LayoutInText"},
    {ErrorCode::EscapeOpenerInText, messages::EscapeOpenerInText, "EscapeOpenerInText"},
    {ErrorCode::InvalidDataBracket, messages::InvalidDataBracket, "InvalidDataBracket"},
    {ErrorCode::TextBeforeCData, messages::TextBeforeCData, "TextBeforeCData"},
    {ErrorCode::CDataNotPlain, messages::CDataNotPlain, "CDataNotPlain"},
    {ErrorCode::RootNotPlain, messages::RootNotPlain, "RootNotPlain"},
    {ErrorCode::BraceCommentMarker, messages::BraceCommentMarker, "BraceCommentMarker"},
    {ErrorCode::BraceLeadingQuote, messages::BraceLeadingQuote, "BraceLeadingQuote"},
    {ErrorCode::BraceTextWithoutName, messages::BraceTextWithoutName, "BraceTextWithoutName"},
    {ErrorCode::BraceCannotHoldCData, messages::BraceCannotHoldCData, "BraceCannotHoldCData"},
    {ErrorCode::BraceCannotHoldDataBracket, messages::BraceCannotHoldDataBracket,
     "BraceCannotHoldDataBracket"},
    {ErrorCode::NullChild, messages::NullChild, "NullChild"},
    {ErrorCode::NoElement, messages::NoElement, "NoElement"},
};

const CodeEntry* entryOf(ErrorCode code) {
    for (const CodeEntry& entry : Codes) {
        if (entry.code == code)
            return &entry;
    }
    return nullptr;
}

}  // namespace

const char* errorName(ErrorCode code) {
    const CodeEntry* entry = entryOf(code);
    return entry ? entry->name : "Unknown";
}

const char* errorMessage(ErrorCode code) {
    const CodeEntry* entry = entryOf(code);
    return entry ? entry->message : nullptr;
}

ErrorCode errorCodeOf(const char* message) {
    if (!message)
        return ErrorCode::Other;
    for (const CodeEntry& entry : Codes) {
        if (entry.message && std::strcmp(entry.message, message) == 0)
            return entry.code;
    }
    return ErrorCode::Other;
}

}  // namespace tarvik::xml
