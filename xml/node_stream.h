// Binary node stream: a whole tree as one record, read back in one call.
//
//     std::ostringstream out(std::ios::binary);
//     tree.writeBinary(out);                        // one record, children nested
//     std::istringstream in(out.str(), std::ios::binary);
//     std::unique_ptr<XMLElement> copy = readTree(in);
//
// record := type-tag name data-bracket text attribute-count { name value }
//           child-count { record }
// Integers are 32-bit little-endian; strings are a byte length and the bytes,
// carried as held (zeros too). No header, version or end marker. Binary mode.
#ifndef TARVIK_XML_NODE_STREAM_H
#define TARVIK_XML_NODE_STREAM_H

#include <cstdint>
#include <istream>
#include <memory>

#include "xml/document.h"
#include "xml/export.h"

namespace tarvik::xml {

// Type tag that opens the record of an XMLElement.
inline constexpr int32_t ElementTypeTag = 1;
// Type tag that opens the record of an XMLCData node.
inline constexpr int32_t CDataTypeTag = 2;

// Reads one record and its subtree (an XMLElement or XMLCData per tag, filled as
// readBinary fills it), owned by the caller, its top's parent null; the stream
// is left after the record. Lengths are believed only as bytes arrive; any depth
// takes no stack. Throws XMLException, keeping nothing: messages::StreamTruncated,
// UnknownNodeType (not 1 or 2) or InvalidLength (negative), offset() the field's
// first byte from where the stream stood. A stream that raises raises its own.
TARVIK_XML_API std::unique_ptr<XMLElement> readTree(std::istream& in);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_STREAM_H
