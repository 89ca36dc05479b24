#include "xml/node_path.h"

#include <vector>

#include "xml/node_class.h"

namespace tarvik::xml {

namespace {

constexpr char CDataStep[] = "#cdata";

std::string stepOf(const XMLElement& node, std::size_t position) {
    return std::string("/") +
           (nodeClassOf(node) == NodeClass::CData ? CDataStep : node.name.c_str()) + "[" +
           std::to_string(position) + "]";
}

// 1-based position of `node` among its parent's children.
std::size_t positionOf(const XMLElement& node) {
    std::size_t position = 0;
    for (const auto& sibling : node.parent->children) {
        ++position;
        if (sibling.get() == &node)
            return position;
    }
    return position;
}

}  // namespace

// The path from `top`, at the 1-based `topPosition` among its siblings, down
// to `node` in its subtree, found through the parent links: a step
// "/name[position]" per element and "/#cdata[position]" per CDATA node, each
// position 1-based among all siblings ("/game[1]/motd[2]").
std::string nodePath(const XMLElement& node, const XMLElement& top, std::size_t topPosition) {
    std::vector<std::string> steps;
    const XMLElement* at = &node;
    while (at != &top && at->parent) {
        steps.push_back(stepOf(*at, positionOf(*at)));
        at = at->parent;
    }
    std::string path = stepOf(top, topPosition);
    for (auto step = steps.rbegin(); step != steps.rend(); ++step)
        path += *step;
    return path;
}

}  // namespace tarvik::xml
