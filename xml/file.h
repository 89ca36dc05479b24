// Saving a tree to a file and loading it back.
//
//     saveBinary(doc.root(), "tree.bin");
//     std::unique_ptr<XMLElement> tree = loadBinary("tree.bin");
//     saveText(*tree, "tree.xml");   // indented markup text, for people to read
//     doc.saveMarkupFile("game.xml"); // a whole document, as loadMarkupFile reads it
//
// Every file is opened in binary mode, so its bytes are exactly the ones the
// tree's print or writeBinary produce on every platform: line breaks are LF
// alone, and GB2312 text goes out unconverted.
//
// Saving never destroys the old file: the new bytes go to a temporary file in
// the same directory, in 64 KiB writes (print's flush at every line break
// stays in the buffer), are flushed to the disk, and only then replace the
// target in one rename. A full disk, a read-only directory, a tree refused
// part way or any other failure leaves the old file as it was and no
// temporary file behind.
//
// Loading is bounded: a regular file is read up to its size, any other
// source up to LoadOptions::streamLimit (xml/load_options.h), and so is a
// regular file of size 0, which may still hold bytes (the files of /proc).
// Running out of memory while loading is reported as messages::OutOfMemory.
//
// Errors are XMLException whose source() is the path; describe() gives
// "path: byte N: message" when the byte offset is known.
#ifndef TARVIK_XML_FILE_H
#define TARVIK_XML_FILE_H

#include <istream>
#include <memory>
#include <string>

#include "xml/document.h"
#include "xml/export.h"
#include "xml/load_options.h"

namespace tarvik::xml {

// Writes `tree` as indented markup text, as tree.print(out, 0) writes it, to
// the file at `path`, replacing the file only once every byte is on the disk.
// Nothing is added around it. Checks each node, as it comes to it, that
// loadMarkupFile would read the text back as the same tree, and otherwise
// throws XMLException naming the first node at fault in document order
// (node()), with the reason: messages::NameNotReadable (a name that is empty,
// too long or holds a byte a name cannot), QuoteInAttributeValue,
// ZeroByteInTree, LessThanInText (a "<" in a text without a data bracket),
// TerminatorInText (a text holding its own bracket and "data]]", a CDATA
// section holding "]]>"), LayoutInText (a text that opens with TAB or LF or
// holds a CR), EscapeOpenerInText (a text without a data bracket that opens
// with "[[data"), InvalidDataBracket (outside -128..127), TextBeforeCData (a
// text without a data bracket followed by a CDATA child, which would gain
// that child's tabs; null entries before it are passed over, as print passes
// over them), NullChild (below the top, an element with such a text and null
// child entries alone: its text would gain the tabs print writes before the
// closing tag) or CDataNotPlain (a CDATA node with a name, attributes, a
// data bracket or children). The text form leaves null child entries out,
// so the tree read back is `tree` without them. Throws XMLException(messages::CannotWriteFile)
// when the file cannot be written (a tree that would be refused is reported
// as such first); the old file is then untouched. print itself writes any tree.
TARVIK_XML_API void saveText(const XMLElement& tree, const std::string& path);

// Writes the root's children as XMLDocument::saveMarkupFile does (see xml/document.h).
TARVIK_XML_API void saveMarkupFile(const XMLDocument& document, const std::string& path);
// Throws the XMLException saveMarkupFile would refuse `document` with (the
// node at fault named, no source); returns when its file would read back as
// the same tree. For writing the document's text form to a stream of one's own.
TARVIK_XML_API void checkMarkupFile(const XMLDocument& document);

// Writes `tree` as one binary node record (tree.writeBinary) to the file at
// `path`, replacing the file only once every byte is on the disk. The binary
// form carries every tree. Throws XMLException(messages::CannotWriteFile) as
// saveText does.
TARVIK_XML_API void saveBinary(const XMLElement& tree, const std::string& path);

// Reads the file at `path`, which must hold exactly one binary node record,
// and returns the tree; the caller owns it. Throws XMLException:
// messages::CannotOpenFile when the file cannot be opened or is a directory,
// the errors of readTree (xml/node_stream.h) with offset() the byte in the
// file, messages::TrailingData at the first byte after a complete record,
// InputTooLarge when a source without a size (not a regular file, or one of
// size 0) goes on past `options.streamLimit`, and OutOfMemory.
TARVIK_XML_API std::unique_ptr<XMLElement> loadBinary(const std::string& path,
                                                      const LoadOptions& options = LoadOptions());

// The same as loadBinary, from a stream already open (standard input, say),
// read at most up to `options.streamLimit` bytes; `source` names it in errors.
TARVIK_XML_API std::unique_ptr<XMLElement> loadBinaryStream(
    std::istream& in, const std::string& source, const LoadOptions& options = LoadOptions());

// The same as XMLDocument::loadMarkupFile, from a stream already open, read
// at most up to `options.streamLimit` bytes; `source` names it in errors and,
// like the path, may lie in the document's own tree.
TARVIK_XML_API void loadMarkupStream(XMLDocument& document, std::istream& in,
                                     const std::string& source,
                                     const LoadOptions& options = LoadOptions());

// The same as XMLDocument::loadXmlFile, from a stream already open, read at
// most up to `options.streamLimit` bytes; `source` names it in errors.
TARVIK_XML_API void loadXmlStream(XMLDocument& document, std::istream& in,
                                  const std::string& source,
                                  const LoadOptions& options = LoadOptions());

}  // namespace tarvik::xml

#endif  // TARVIK_XML_FILE_H
