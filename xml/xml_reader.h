// Standard XML 1.0, read by XMLDocument::parseXml and loadXmlFile
// (xml/document.h) and loadXmlStream (xml/file.h) into the same tree the
// markup dialect fills; written by xml/xml_writer.h.
//
//     tarvik::xml::XMLDocument doc;
//     doc.loadXmlFile("config.xml");             // or doc.parseXml(bytes, size)
//     const XMLElement& top = *doc.root().children.front();
//     doc.head().findAttribute("encoding");      // "UTF-8" when declared so
//
// How the tree holds a document. This text
//
//     <?xml version="1.0" encoding="UTF-8"?>
//     <!DOCTYPE shop [ <!ENTITY co "Tom &amp; Jerry"> ]>
//     <shop name='&co;'>
//         <item id="1">Tea &#x4E2D;</item>
//         <note>Hello <b>bold</b> tail<!-- skipped --></note>
//     </shop>
//
// reads as
//
//     head():  version="1.0" encoding="UTF-8"          (replaces what it held)
//     root():  shop  name="Tom & Jerry"                 (the only child of the root)
//                item  id="1"  text "Tea 中"             (U+4E2D written in UTF-8)
//                note
//                  XMLCData "Hello "
//                  b  text "bold"
//                  XMLCData " tail"
//
//   - The head gets the declaration's attributes as written (none without one).
//   - An element without child elements keeps its character data in `text`;
//     one with child elements keeps each run between them as an XMLCData
//     child, dropped where every run is white space (indentation). CDATA
//     sections join their run. Comments, processing instructions and the
//     document type declaration are checked and leave nothing.
//   - References are decoded: predefined entities, character references and
//     the internal subset's general entities (parsed as content). Attribute
//     values are normalised (XML 1.0 section 3.3.3), including declared
//     non-CDATA types; declared defaults are appended. CR LF and CR become LF.
//   - Encoding: UTF-8 (every sequence checked) by default; another ASCII-based
//     encoding the declaration names is held byte for byte, bytes from 0x80 up
//     being name characters (in Shift_JIS, Big5, GBK, GB18030 and GB2312 with
//     their 0x40-0x7E trail bytes). Character references above U+007F need
//     UTF-8 or ISO-8859-1 (to U+00FF), else messages::XmlCharRefNotEncodable.
//     UTF-16 and UTF-32 throw messages::UnicodeFile.
//   - External subsets and entities are never fetched: a reference to one in
//     text throws messages::XmlExternalEntityNotRead; after an external
//     parameter entity reference, later declarations are checked but unused
//     unless standalone="yes" (XML 1.0 section 5.1).
//   - Names follow XML 1.0 Fifth Edition; namespaces are not interpreted.
//
// Errors: XMLException naming the broken rule and its section (messages::Xml...),
// with offset(), line() and column() in the text as given (an error inside an
// entity is placed at its reference). A refused parse leaves the document as it
// was. A byte the encoding or XML forbids is reported before any markup error.
//
// Bounds: entity expansion (and default values added to tags) may produce at
// most max(XmlExpansionFloor, XmlExpansionRatio x text length) bytes, each
// expansion costing XmlExpansionReferenceCost more; beyond that, "billion
// laughs" is refused with messages::XmlEntityExpansionLimit. Depth is not
// bounded: nothing recurses.
#ifndef TARVIK_XML_XML_READER_H
#define TARVIK_XML_XML_READER_H

#include <cstddef>

#include "xml/document.h"

namespace tarvik::xml {

// Bytes entity expansion may always produce: far beyond real use, a few milliseconds of work.
inline constexpr std::size_t XmlExpansionFloor = std::size_t{4} << 20;
// Expansion bytes per text byte beyond the floor: large documents may use entities as heavily.
inline constexpr std::size_t XmlExpansionRatio = 4;
// Cost of each expansion on top of its length, so empty entities still use the bound up.
inline constexpr std::size_t XmlExpansionReferenceCost = 16;

}  // namespace tarvik::xml

#endif  // TARVIK_XML_XML_READER_H
