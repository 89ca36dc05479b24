// Writing a tree as standard XML 1.0, which parseXml (xml/xml_reader.h) and
// every other XML program read.
//
//     tarvik::xml::writeXml(document, std::cout);                  // indented
//     tarvik::xml::writeXml(element, out, XmlLayout::Compact);     // one line
//     document.saveXmlFile("config.xml");                          // atomic, indented
//
// For a document parsed with parseXml, parseXml(writeXml(document)) builds the
// same tree and the same head again. What is written:
//   - the declaration, from the head: version (1.0 when the head has none),
//     then encoding and standalone where the head holds them; no
//     declaration at all when the head has no attributes. The document form
//     writes the root's one element after it.
//   - an element as <name attributes>content</name>, or <name attributes/>
//     when it has neither text nor children. Its text comes first, then its
//     children in order; an XMLCData child is written as character data,
//     escaped like text (never as a CDATA section: escaping is always safe
//     and reads back the same, since the reader takes CDATA sections as
//     character data too).
//   - text and character data with "&", "<" and ">" escaped, and CR as
//     "&#13;" (a CR written as it is would read back as LF); attribute values
//     in double quotes with "&", "<" and '"' escaped and TAB, LF and CR as
//     character references, so that normalisation gives them back.
//   - bytes as they are held: the library never converts. The document form
//     checks them against the encoding the head declares (UTF-8 when none):
//     UTF-8 sequence by sequence, US-ASCII up to 0x7F; any other encoding
//     byte for byte, as the reader takes it. The element form checks only
//     what no ASCII-compatible encoding allows.
// Layout: XmlLayout::Indented (the default) puts each element of an
// element-only content on a line of its own, one tab further in per level,
// and ends the document with a line break; an element with text or XMLCData
// children is written whole on its line, with nothing added inside it at any
// depth, so mixed content keeps exactly its own white space. Indentation
// stops growing at XmlMaxIndentLevels. XmlLayout::Compact adds no white space
// anywhere. Reading either back gives the same tree, since the reader drops
// the white-space runs of element-only content.
//
// What XML cannot hold is refused with an XMLException naming the node at
// fault by its path (XMLException::node(), as saveText does; an attribute
// after "@"): a name that is no XML Name (messages::XmlNameNotWritable), a
// zero byte or another character XML forbids (XmlTextNotWritable), bytes not
// in the declared encoding (XmlEncodingViolation), the same attribute name
// twice on an element (XmlDuplicateAttribute), a non-zero data bracket
// (XmlDataBracketNotWritable: XML has no such escape, and the text alone is
// the content; set dataBracket to 0 to write it), an XMLCData node with a
// name, attributes, a data bracket or children (CDataNotPlain), a head
// record other than version, encoding and standalone or with a value the
// declaration cannot hold (XmlBadDeclaration; UnicodeFile for a UTF-16 or
// UTF-32 encoding), and a document root that holds other than one element
// and nothing else (XmlNoRootElement, XmlSecondRootElement, XmlOutsideRoot).
// The stream forms check the whole tree before they write a byte; a refused
// tree leaves `out` untouched. Null entries in a child list are skipped, as
// print skips them. Nothing recurses: trees of any depth are written.
#ifndef TARVIK_XML_XML_WRITER_H
#define TARVIK_XML_XML_WRITER_H

#include <cstdint>
#include <ostream>
#include <string>

#include "xml/document.h"

namespace tarvik::xml {

// How writeXml lays the text out.
enum class XmlLayout {
    Indented,  // element-only content one element a line, a tab per level
    Compact,   // no white space added
};

// Indentation stops growing at this many tabs, so that a tree nested a
// million deep writes in time and space in step with its size.
inline constexpr int32_t XmlMaxIndentLevels = 64;

// Writes `element` and its subtree as standard XML to `out`, in `layout`,
// without a declaration. Throws XMLException (see above) before writing
// anything for a tree XML cannot hold. `out`'s state is not tested.
TARVIK_XML_API void writeXml(const XMLElement& element, std::ostream& out,
                             XmlLayout layout = XmlLayout::Indented);

// Writes `document` as a standard XML document to `out`: the declaration
// from its head, then the root's one element. Throws as the element form does,
// before writing anything.
TARVIK_XML_API void writeXml(const XMLDocument& document, std::ostream& out,
                             XmlLayout layout = XmlLayout::Indented);

// Writes `document` as writeXml does, in `layout`, to the file at `path`,
// replacing the file only once every byte is on the disk (see saveText in
// xml/file.h); XMLDocument::saveXmlFile(path) writes it indented. Throws
// writeXml's errors with source() the path, and messages::CannotWriteFile as
// saveText does; either way the file at `path` is as it was.
TARVIK_XML_API void saveXmlFile(const XMLDocument& document, const std::string& path,
                                XmlLayout layout);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_XML_WRITER_H
