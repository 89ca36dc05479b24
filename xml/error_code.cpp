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
    {ErrorCode::XmlNoRootElement, messages::XmlNoRootElement, "XmlNoRootElement"},
    {ErrorCode::XmlSecondRootElement, messages::XmlSecondRootElement, "XmlSecondRootElement"},
    {ErrorCode::XmlOutsideRoot, messages::XmlOutsideRoot, "XmlOutsideRoot"},
    {ErrorCode::XmlElementNotClosed, messages::XmlElementNotClosed, "XmlElementNotClosed"},
    {ErrorCode::XmlEndTagMismatch, messages::XmlEndTagMismatch, "XmlEndTagMismatch"},
    {ErrorCode::XmlInvalidName, messages::XmlInvalidName, "XmlInvalidName"},
    {ErrorCode::XmlInvalidCharacter, messages::XmlInvalidCharacter, "XmlInvalidCharacter"},
    {ErrorCode::XmlEncodingViolation, messages::XmlEncodingViolation, "XmlEncodingViolation"},
    {ErrorCode::XmlBadTag, messages::XmlBadTag, "XmlBadTag"},
    {ErrorCode::XmlBadAttribute, messages::XmlBadAttribute, "XmlBadAttribute"},
    {ErrorCode::XmlMissingSpace, messages::XmlMissingSpace, "XmlMissingSpace"},
    {ErrorCode::XmlLessThanInAttribute, messages::XmlLessThanInAttribute, "XmlLessThanInAttribute"},
    {ErrorCode::XmlDuplicateAttribute, messages::XmlDuplicateAttribute, "XmlDuplicateAttribute"},
    {ErrorCode::XmlBadReference, messages::XmlBadReference, "XmlBadReference"},
    {ErrorCode::XmlBareLessThan, messages::XmlBareLessThan, "XmlBareLessThan"},
    {ErrorCode::XmlCDataEndInText, messages::XmlCDataEndInText, "XmlCDataEndInText"},
    {ErrorCode::XmlInvalidCharRef, messages::XmlInvalidCharRef, "XmlInvalidCharRef"},
    {ErrorCode::XmlCharRefNotEncodable, messages::XmlCharRefNotEncodable, "XmlCharRefNotEncodable"},
    {ErrorCode::XmlUndeclaredEntity, messages::XmlUndeclaredEntity, "XmlUndeclaredEntity"},
    {ErrorCode::XmlRecursiveEntity, messages::XmlRecursiveEntity, "XmlRecursiveEntity"},
    {ErrorCode::XmlExternalEntityInAttribute, messages::XmlExternalEntityInAttribute,
     "XmlExternalEntityInAttribute"},
    {ErrorCode::XmlExternalEntityNotRead, messages::XmlExternalEntityNotRead,
     "XmlExternalEntityNotRead"},
    {ErrorCode::XmlUnparsedEntity, messages::XmlUnparsedEntity, "XmlUnparsedEntity"},
    {ErrorCode::XmlEntityNotBalanced, messages::XmlEntityNotBalanced, "XmlEntityNotBalanced"},
    {ErrorCode::XmlEntityExpansionLimit, messages::XmlEntityExpansionLimit,
     "XmlEntityExpansionLimit"},
    {ErrorCode::XmlBadComment, messages::XmlBadComment, "XmlBadComment"},
    {ErrorCode::XmlCommentNotClosed, messages::XmlCommentNotClosed, "XmlCommentNotClosed"},
    {ErrorCode::XmlCDataNotClosed, messages::XmlCDataNotClosed, "XmlCDataNotClosed"},
    {ErrorCode::XmlBadMarkup, messages::XmlBadMarkup, "XmlBadMarkup"},
    {ErrorCode::XmlBadInstruction, messages::XmlBadInstruction, "XmlBadInstruction"},
    {ErrorCode::XmlInstructionNotClosed, messages::XmlInstructionNotClosed,
     "XmlInstructionNotClosed"},
    {ErrorCode::XmlReservedTarget, messages::XmlReservedTarget, "XmlReservedTarget"},
    {ErrorCode::XmlBadDeclaration, messages::XmlBadDeclaration, "XmlBadDeclaration"},
    {ErrorCode::XmlEncodingMismatch, messages::XmlEncodingMismatch, "XmlEncodingMismatch"},
    {ErrorCode::XmlBadDoctype, messages::XmlBadDoctype, "XmlBadDoctype"},
    {ErrorCode::XmlMisplacedDoctype, messages::XmlMisplacedDoctype, "XmlMisplacedDoctype"},
    {ErrorCode::XmlBadDtdContent, messages::XmlBadDtdContent, "XmlBadDtdContent"},
    {ErrorCode::XmlBadElementDecl, messages::XmlBadElementDecl, "XmlBadElementDecl"},
    {ErrorCode::XmlBadAttlistDecl, messages::XmlBadAttlistDecl, "XmlBadAttlistDecl"},
    {ErrorCode::XmlBadEntityDecl, messages::XmlBadEntityDecl, "XmlBadEntityDecl"},
    {ErrorCode::XmlBadNotationDecl, messages::XmlBadNotationDecl, "XmlBadNotationDecl"},
    {ErrorCode::XmlPEInDeclaration, messages::XmlPEInDeclaration, "XmlPEInDeclaration"},
    {ErrorCode::XmlConditionalSection, messages::XmlConditionalSection, "XmlConditionalSection"},
    {ErrorCode::XmlNameNotWritable, messages::XmlNameNotWritable, "XmlNameNotWritable"},
    {ErrorCode::XmlTextNotWritable, messages::XmlTextNotWritable, "XmlTextNotWritable"},
    {ErrorCode::XmlDataBracketNotWritable, messages::XmlDataBracketNotWritable,
     "XmlDataBracketNotWritable"},
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
