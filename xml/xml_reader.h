// Standard XML 1.0: documents as every other XML program reads and writes
// them, into and out of the same XMLDocument tree the library's own markup
// dialect fills (xml/markup.h keeps that dialect exactly as it is).
//
//     tarvik::xml::XMLDocument doc;
//     doc.loadXmlFile("config.xml");             // or doc.parseXml(bytes, size)
//     const XMLElement& top = *doc.root().children.front();
//     doc.head().findAttribute("encoding");      // "UTF-8" when declared so
//     doc.saveXmlFile("config.xml");             // see xml/xml_writer.h
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
//   - The root element is the one child of root(). The declaration's version,
//     encoding and standalone, as written and in that order, replace what
//     head() held; a document without a declaration leaves head() with no
//     attributes.
//   - An element without child elements keeps all its character data in
//     `text`. An element with child elements keeps its character data as
//     XMLCData children in document order, one per run between child
//     elements, so mixed content loses nothing; where every run of an
//     element is white space only (indentation), the runs are dropped.
//     CDATA sections are character data and join the run they stand in.
//     Comments, processing instructions and the document type declaration
//     are read and checked, and leave nothing in the tree.
//   - References are decoded: the five predefined entities, decimal and
//     hexadecimal character references, and the general entities the
//     internal subset declares (their text is parsed as content, so an
//     entity may hold elements). Attribute values are normalised as XML 1.0
//     section 3.3.3 says: each TAB, LF and CR written in a value becomes a
//     space, one written as a character reference stays, and an attribute the
//     internal subset declares of a type other than CDATA also loses leading,
//     trailing and repeated spaces. Attributes the internal subset gives a
//     default value are added, after the written ones, where a tag lacks
//     them. Line ends (CR LF, CR) become LF before anything else is read.
//     Single and double quotes both delimit values.
//   - Encoding: UTF-8, with or without a byte-order mark, is the default, and
//     every sequence is checked. Any other ASCII-compatible encoding the
//     declaration names (gb2312, ISO-8859-1, windows-1252, ...) is held byte
//     for byte, as the library holds everything; bytes from 0x80 up then
//     count as name and text characters (in ISO-8859-1 as the characters they
//     are; in Shift_JIS, Big5, GBK, GB18030 and GB2312 a byte from 0x81 up and
//     a second byte in 0x40-0x7E are one name character, so a second byte
//     such as "[" does not end a name). A character reference is written into the text in the
//     document's encoding where that needs no code-page table, which is UTF-8, US-ASCII (up to
//     U+007F) and ISO-8859-1 (up to U+00FF); in any other encoding a reference above U+007F is
//     refused (messages::XmlCharRefNotEncodable). A UTF-16 or UTF-32 document, by its byte-order
//     mark, its first bytes or its declaration, is refused with messages::UnicodeFile.
//   - The external subset and external entities are never fetched: a
//     reference to an external entity in text is refused
//     (messages::XmlExternalEntityNotRead), as the tree could not hold what it
//     stands for. After a reference to an external parameter entity the
//     later entity and attribute-list declarations are checked but not used,
//     unless the document says standalone="yes" (XML 1.0 section 5.1).
//   - Names follow XML 1.0 Fifth Edition; namespaces are not interpreted (a
//     prefixed name is one name, "xmlns" one more attribute).
//
// Errors. Every well-formedness error is refused with an XMLException whose
// what() names the broken rule and the section of XML 1.0 that states it
// (the Xml... texts of xml/messages.h), with offset(), line() and column() of
// the place in the text as given (lines end at LF, CR LF or CR; columns
// count bytes from 1). An error inside an entity's text is placed at the
// reference in the document that brought it in. A refused parse leaves the
// document exactly as it was: the new tree is built apart and takes the
// place of the old one only once the whole text has been read. A byte the
// encoding or XML forbids is the error reported whenever the text holds one,
// even where a markup error stands before it.
//
// Bounds: expanding entities may produce at most XmlExpansionFloor bytes, or
// XmlExpansionRatio times the text's length where that is more, each
// expansion counted with XmlExpansionReferenceCost bytes more, and so does
// each default value added to a tag: a "billion laughs" document is refused
// (messages::XmlEntityExpansionLimit) after a few megabytes of work. Nesting depth is not bounded:
// nothing recurses, so a document a million elements deep reads, and memory grows in step with the
// text.
#ifndef TARVIK_XML_XML_READER_H
#define TARVIK_XML_XML_READER_H

#include <cstddef>

#include "xml/document.h"

namespace tarvik::xml {

// Bytes entity expansion may always produce: far beyond what a document
// uses entities for, and a few milliseconds of work.
inline constexpr std::size_t XmlExpansionFloor = std::size_t{4} << 20;
// Bytes of expansion each byte of the text allows beyond the floor: a large
// document may use entities as heavily as a small one.
inline constexpr std::size_t XmlExpansionRatio = 4;
// What each expansion costs on top of its length, so that entities that
// expand to nothing still use the bound up.
inline constexpr std::size_t XmlExpansionReferenceCost = 16;

}  // namespace tarvik::xml

#endif  // TARVIK_XML_XML_READER_H
