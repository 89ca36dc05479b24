// Saving a tree to a file and loading it back.
//
//     saveBinary(doc.root(), "tree.bin");
//     std::unique_ptr<XMLElement> tree = loadBinary("tree.bin");
//     saveText(*tree, "tree.xml");   // indented markup text, for people to read
//
// Every file is opened in binary mode, so its bytes are exactly the ones the
// tree's print or writeBinary produce on every platform: line breaks are LF
// alone, and GB2312 text goes out unconverted.
//
// Errors are XMLException whose source() is the path; describe() gives
// "path: byte N: message" when the byte offset is known.
#ifndef TARVIK_XML_FILE_H
#define TARVIK_XML_FILE_H

#include <memory>
#include <string>

#include "xml/document.h"

namespace tarvik::xml {

// Writes `tree` as indented markup text, as tree.print(out, 0) writes it, to
// the file at `path`, replacing the file. Nothing is added around it. Throws
// XMLException(messages::CannotWriteFile) when the file cannot be created or
// written; a failed write may leave a partial file behind.
void saveText(const XMLElement& tree, const std::string& path);

// Writes `tree` as one binary node record (tree.writeBinary) to the file at
// `path`, replacing the file. Throws as saveText does.
void saveBinary(const XMLElement& tree, const std::string& path);

// Reads the file at `path`, which must hold exactly one binary node record,
// and returns the tree; the caller owns it. Throws XMLException:
// messages::CannotOpenFile when the file cannot be opened, the errors of
// readTree (xml/node_stream.h) with offset() the byte in the file, and
// messages::TrailingData at the first byte after a complete record.
std::unique_ptr<XMLElement> loadBinary(const std::string& path);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_FILE_H
