// Binary node stream: a whole tree as one record, read back in one call.
//
//     std::ostringstream out(std::ios::binary);
//     tree.writeBinary(out);                        // one record, children nested
//     std::istringstream in(out.str(), std::ios::binary);
//     std::unique_ptr<XMLElement> copy = readTree(in);
//
// A record is the node's type tag, its body (name, data bracket, text,
// attributes), its child count and then each child's complete record, in
// document order. Every integer is 32-bit little-endian; every string is its
// byte length followed by its bytes, zero bytes included. There is no header,
// version or end marker, and the bytes are carried as held (GB2312 in
// practice, never converted). Streams must be in binary mode.
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

// Reads one complete record, the node and its whole subtree, and returns it;
// the caller owns the tree, whose top node has a null parent. Each node is an
// XMLElement or XMLCData, as its tag says, filled as readBinary fills it, with
// its children appended in order. The stream is left just after the record.
//
// The stream is hostile input: a length or count is believed only as far as
// bytes really arrive, and nesting of any depth takes no call stack. Throws
// XMLException, and hands back nothing, for a stream that ends inside the
// record (messages::StreamTruncated), a tag other than 1 or 2
// (messages::UnknownNodeType) or a negative length or count
// (messages::InvalidLength). offset() is the byte, counted from where the
// stream stood at the call, at which the field at fault begins (for a string,
// its length). A stream set to raise exceptions raises its own instead.
TARVIK_XML_API std::unique_ptr<XMLElement> readTree(std::istream& in);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_STREAM_H
