// The XML files a Debian machine ships (fontconfig, shared-mime-info, D-Bus,
// polkit, SVG icons and the rest of /usr/share and /etc/fonts) as other XML
// software reads them: every file xmllint accepts must load with
// loadXmlFile, and hold the names, attribute values and character data
// pugixml reads from it. xmllint's verdict comes from a list made by the
// test command (tools/list-system-xml.sh), one accepted path a line, given
// as the one argument. Prints each difference and a summary; exits 1 on any.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "xml/xml.h"

namespace {

using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

// Fewer accepted files than this means the list, not the library, failed.
constexpr std::size_t FewestFiles = 50;

bool isWhiteSpace(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// One element as both trees give it: name, attributes in order, all the
// character data directly inside it, joined, and its child elements in order.
struct Node {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<Node> children;
};

// Both walks keep their own stack: documents may nest deeply.
Node fromOurs(const XMLElement& top) {
    Node result;
    std::vector<std::pair<const XMLElement*, Node*>> pending{{&top, &result}};
    while (!pending.empty()) {
        auto [element, node] = pending.back();
        pending.pop_back();
        node->name = element->name;
        for (const auto& attribute : element->attributes)
            node->attributes.emplace_back(attribute.name, attribute.value);
        node->text += element->text;
        for (const auto& child : element->children) {
            if (child->isCData()) {
                node->text += child->text;
            } else {
                node->children.emplace_back();
            }
        }
        std::size_t index = 0;
        for (const auto& child : element->children) {
            if (!child->isCData())
                pending.emplace_back(child.get(), &node->children[index++]);
        }
    }
    return result;
}

Node fromPugixml(const pugi::xml_node& top) {
    Node result;
    std::vector<std::pair<pugi::xml_node, Node*>> pending{{top, &result}};
    while (!pending.empty()) {
        auto [element, node] = pending.back();
        pending.pop_back();
        node->name = element.name();
        for (const pugi::xml_attribute& attribute : element.attributes())
            node->attributes.emplace_back(attribute.name(), attribute.value());
        for (const pugi::xml_node& child : element.children()) {
            if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                node->text += child.value();
            } else if (child.type() == pugi::node_element) {
                node->children.emplace_back();
            }
        }
        std::size_t index = 0;
        for (const pugi::xml_node& child : element.children(/*all*/)) {
            if (child.type() == pugi::node_element)
                pending.emplace_back(child, &node->children[index++]);
        }
    }
    return result;
}

// Where two trees first differ, or empty.
std::string difference(const Node& ours, const Node& theirs) {
    std::vector<std::pair<const Node*, const Node*>> pending{{&ours, &theirs}};
    while (!pending.empty()) {
        auto [a, b] = pending.back();
        pending.pop_back();
        const std::string where = "<" + a->name + ">";
        if (a->name != b->name)
            return where + " is <" + b->name + "> to pugixml";
        // Ours may add the defaults a DTD declares, after the written ones;
        // pugixml adds none.
        if (a->attributes.size() < b->attributes.size() ||
            !std::equal(b->attributes.begin(), b->attributes.end(), a->attributes.begin()))
            return where + ": the attributes differ";
        // Ours leaves out the runs of white space between child elements
        // when every run is white space (indentation).
        const bool indentation = a->text.empty() && isWhiteSpace(b->text);
        if (a->text != b->text && !indentation)
            return where + ": the text \"" + a->text + "\" is \"" + b->text + "\" to pugixml";
        if (a->children.size() != b->children.size())
            return where + ": the child elements differ in number";
        for (std::size_t i = 0; i < a->children.size(); ++i)
            pending.emplace_back(&a->children[i], &b->children[i]);
    }
    return {};
}

std::vector<std::string> linesOf(const char* list) {
    std::vector<std::string> files;
    std::ifstream in(list);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            files.push_back(line);
    }
    return files;
}

// The difference between our tree of `path` and pugixml's, or empty; "skip"
// when pugixml cannot read the file.
std::string compare(const std::string& path) {
    pugi::xml_document theirs;
    if (!theirs.load_file(path.c_str(), pugi::parse_default | pugi::parse_ws_pcdata))
        return "skip";
    XMLDocument ours;
    try {
        ours.loadXmlFile(path);
    } catch (const tarvik::xml::XMLException& error) {
        // UTF-16 documents are refused by design.
        return error.code() == tarvik::xml::ErrorCode::UnicodeFile ? "skip"
                                                                   : "refused: " + error.describe();
    }
    const XMLElement* root = ours.root().firstChild(nullptr);
    if (!root)
        return "no root element";
    return difference(fromOurs(*root), fromPugixml(theirs.document_element()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: system_xml_files LIST\n";
        return 2;
    }
    const std::vector<std::string> files = linesOf(argv[1]);
    std::size_t compared = 0;
    std::size_t differing = 0;
    for (const std::string& path : files) {
        const std::string found = compare(path);
        if (found == "skip")
            continue;
        ++compared;
        if (!found.empty()) {
            ++differing;
            std::cout << path << ": " << found << "\n";
        }
    }
    std::cout << compared << " files xmllint accepts compared with pugixml, " << differing
              << " differ\n";
    if (compared < FewestFiles) {
        std::cout << "too few files to judge (at least " << FewestFiles << ")\n";
        return 1;
    }
    return differing == 0 ? 0 : 1;
}
