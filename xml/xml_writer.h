// Writing a tree as standard XML 1.0, which parseXml (xml/xml_reader.h) and
// every other XML program reads; parseXml of what writeXml wrote gives back
// the same tree and head.
//
//     tarvik::xml::writeXml(document, std::cout);                  // indented
//     tarvik::xml::writeXml(element, out, XmlLayout::Compact);     // one line
//     document.saveXmlFile("config.xml");                          // atomic, indented
//
// What is written:
//   - the head's declaration (version 1.0 by default); none for an empty head.
//   - <name attributes>text children</name>, or <name attributes/> when empty;
//     an XMLCData child as escaped character data (never a CDATA section,
//     which reads back the same).
//   - text with "&", "<", ">" escaped and CR as "&#13;"; attribute values in
//     double quotes with "&", "<", '"' escaped and TAB, LF, CR as references.
//   - bytes as held, checked against the head's "encoding" record (UTF-8 when
//     the head has none; a new XMLDocument's head says "gb2312");
//     the element form checks only what no ASCII-based encoding allows.
// XmlLayout::Indented puts each element of element-only content on its own
// line, a tab further in per level (to XmlMaxIndentLevels), and ends with a
// line break; an element with text or XMLCData children is written whole, so
// mixed content keeps its own white space. XmlLayout::Compact adds none.
//
// What XML cannot hold throws XMLException naming the node at fault
// (node(), "@" for an attribute) before a byte is written: messages::
// XmlNameNotWritable, XmlTextNotWritable (a zero byte or other forbidden
// character), XmlEncodingViolation, XmlDuplicateAttribute,
// XmlDataBracketNotWritable (set dataBracket to 0 to write the text alone),
// CDataNotPlain, XmlBadDeclaration (a head record other than version,
// encoding and standalone, or a value they cannot hold; UnicodeFile for
// UTF-16/32), and
// XmlNoRootElement, XmlSecondRootElement or XmlOutsideRoot for a root that
// holds other than one element. Null child entries are skipped, as print
// skips them. Nothing recurses.
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

// Indentation stops growing here, so a tree a million deep writes in time linear in its size.
inline constexpr int32_t XmlMaxIndentLevels = 64;

// Writes `element` and its subtree as XML to `out` (state untested), without a
// declaration. Throws XMLException (above) before writing anything.
TARVIK_XML_API void writeXml(const XMLElement& element, std::ostream& out,
                             XmlLayout layout = XmlLayout::Indented);

// Writes `document` to `out`: the head's declaration, then the root's one
// element. Throws as the element form does, before writing anything.
TARVIK_XML_API void writeXml(const XMLDocument& document, std::ostream& out,
                             XmlLayout layout = XmlLayout::Indented);

// Writes `document` as writeXml does to `path`, replaced atomically (saveText,
// xml/file.h). Throws writeXml's errors with source() the path, or
// messages::CannotWriteFile; the file is then as it was.
TARVIK_XML_API void saveXmlFile(const XMLDocument& document, const std::string& path,
                                XmlLayout layout);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_XML_WRITER_H
