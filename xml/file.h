// Saving a tree to a file and loading it back.
//
//     saveBinary(doc.root(), "tree.bin");
//     std::unique_ptr<XMLElement> tree = loadBinary("tree.bin");
//     saveText(*tree, "tree.xml");   // indented markup text, for people to read
//     doc.saveMarkupFile("game.xml"); // a whole document, as loadMarkupFile reads it
//
// Files are opened in binary mode: the bytes are exactly what print or
// writeBinary produce (LF line breaks, GB2312 unconverted) on every platform.
// Saving replaces a file atomically: the bytes go to a temporary file in the
// same directory (in 64 KiB writes), are flushed to the disk, then renamed
// over the target; any failure leaves the old file and no temporary behind.
// Loading is bounded by LoadOptions (xml/load_options.h); running out of
// memory is messages::OutOfMemory. Errors are XMLException with source() the
// path ("path: byte N: message" from describe()).
#ifndef TARVIK_XML_FILE_H
#define TARVIK_XML_FILE_H

#include <istream>
#include <memory>
#include <string>

#include "xml/document.h"
#include "xml/export.h"
#include "xml/load_options.h"

namespace tarvik::xml {

// Writes `tree` as tree.print(out, 0) does to `path`, replaced atomically.
// Throws XMLException naming the first node (node()) that loadMarkupFile would
// not read back the same: messages::NameNotReadable (empty, too long or a
// byte no name holds), QuoteInAttributeValue, ZeroByteInTree, LessThanInText
// (without a data bracket), TerminatorInText (a text holding its own
// terminator, a CDATA section "]]>"), LayoutInText (opens with TAB or LF, or
// holds CR), EscapeOpenerInText (opens with "[[data", no bracket),
// InvalidDataBracket (outside -128..127), TextBeforeCData (a text without a
// bracket before a CDATA child), NullChild (below the top, such a text with
// only null children) or CDataNotPlain; then messages::CannotWriteFile. Null
// child entries are left out. The old file is untouched on any error.
TARVIK_XML_API void saveText(const XMLElement& tree, const std::string& path);

// Writes the root's children as XMLDocument::saveMarkupFile does (see xml/document.h).
TARVIK_XML_API void saveMarkupFile(const XMLDocument& document, const std::string& path);
// Throws the XMLException saveMarkupFile would refuse `document` with (no
// source), for writing the text form to a stream of one's own.
TARVIK_XML_API void checkMarkupFile(const XMLDocument& document);

// Writes `tree` as one binary node record (writeBinary) to `path`, replaced
// atomically; any tree fits. Throws XMLException messages::CannotWriteFile.
TARVIK_XML_API void saveBinary(const XMLElement& tree, const std::string& path);

// The tree of the one binary node record the file at `path` holds, owned by
// the caller. Throws XMLException: messages::CannotOpenFile (also a
// directory), readTree's errors (xml/node_stream.h; offset() in the file),
// TrailingData after the record, InputTooLarge, OutOfMemory.
TARVIK_XML_API std::unique_ptr<XMLElement> loadBinary(const std::string& path,
                                                      const LoadOptions& options = LoadOptions());

// The same from an open stream, read up to `options.streamLimit`; `source` names it in errors.
TARVIK_XML_API std::unique_ptr<XMLElement> loadBinaryStream(
    std::istream& in, const std::string& source, const LoadOptions& options = LoadOptions());

// XMLDocument::loadMarkupFile from an open stream, read up to
// `options.streamLimit`; `source` names it in errors and may lie in the tree.
TARVIK_XML_API void loadMarkupStream(XMLDocument& document, std::istream& in,
                                     const std::string& source,
                                     const LoadOptions& options = LoadOptions());

// XMLDocument::loadXmlFile from an open stream, read up to `options.streamLimit`.
TARVIK_XML_API void loadXmlStream(XMLDocument& document, std::istream& in,
                                  const std::string& source,
                                  const LoadOptions& options = LoadOptions());

}  // namespace tarvik::xml

#endif  // TARVIK_XML_FILE_H
