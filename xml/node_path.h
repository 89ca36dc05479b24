// Internal: the path that names a node in an error, XMLException::node().
#ifndef TARVIK_XML_NODE_PATH_H
#define TARVIK_XML_NODE_PATH_H

#include <cstddef>
#include <string>

#include "xml/document.h"

namespace tarvik::xml {

// The path from `top` (1-based `topPosition` among its siblings) down to `node`:
// "/name[position]" per element, "/#cdata[position]" per CDATA ("/game[1]/motd[2]").
std::string nodePath(const XMLElement& node, const XMLElement& top, std::size_t topPosition);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_NODE_PATH_H
