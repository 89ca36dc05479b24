// Read a markup file and walk its tree: names, attributes, text and CDATA.
//
//     read_and_walk game.xml
//
// Without a file it reads a small built-in text instead.
#include <cstdlib>
#include <iostream>
#include <string>

#include "xml/xml.h"

using tarvik::xml::XMLCData;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;

// Tabs, line breaks and CRs before an element's text are layout and are
// dropped; spaces would be kept as its text.
constexpr char BuiltInText[] =
    "<game title=\"zindle\">\n"
    "\t<server url=\"http://game.example/\" port=\"80\"/>\n"
    "\t<motd>[[data|1 < 2|data]]</motd>\n"
    "\t<![CDATA[raw <bytes>]]>\n"
    "</game>\n";

// Shows one node and, one level deeper, everything under it.
void walk(const XMLElement& node, int depth) {
    const std::string indent(2 * depth, ' ');
    if (dynamic_cast<const XMLCData*>(&node)) {  // node kinds are told apart by class
        std::cout << indent << "CDATA: " << node.text << '\n';
        return;
    }
    std::cout << indent << "element " << node.name << '\n';
    for (const auto& attribute : node.attributes)  // in the order written
        std::cout << indent << "  @" << attribute.name << " = " << attribute.value << '\n';
    if (!node.text.empty())
        std::cout << indent << "  text: " << node.text << '\n';
    for (const auto& child : node.children)
        walk(*child, depth + 1);
}

int main(int argc, char** argv) {
    XMLDocument document;
    try {
        if (argc > 1)
            document.loadMarkupFile(argv[1]);  // reads the whole file, then parses it
        else
            document.parseMarkup(BuiltInText);
    } catch (const XMLException& error) {
        // "game.xml:3:14: message"; the message is GB2312 text.
        std::cerr << error.describe() << '\n';
        return EXIT_FAILURE;
    }

    // The file's top-level nodes are the children of the document's root.
    for (const auto& child : document.root().children)
        walk(*child, 0);

    // Looking up one attribute: the first with that name, or null.
    if (!document.root().children.empty()) {
        const char* title = document.root().children.front()->findAttribute("title");
        std::cout << "title: " << (title ? title : "(none)") << '\n';
    }
    return EXIT_SUCCESS;
}
