// Find, read and change a small configuration tree, one call for each, and
// write it back in both forms: brace notation and markup text.
//
//     edit_config
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "xml/xml.h"

using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;

// Groups follow each other with a space: a "," after a ")" would give the
// root an empty indexed attribute.
constexpr char Config[] =
    "window=(w=800, h=600, fullscreen=no) "
    "server=(url='http://game.example/', retries=0x3)";

int main() {
    XMLDocument document;
    if (!document.parseBrace(Config)) {
        std::cerr << document.lastBraceError() << '\n';  // the reason, with its byte when known
        return EXIT_FAILURE;
    }
    XMLElement* window = document.root().firstChild("window");  // null when there is none
    XMLElement* server = document.root().firstChild("server");
    if (!window || !server)
        return EXIT_FAILURE;

    // Each read gives its fallback when the attribute is absent or no number.
    const int32_t width = window->intAttribute("w", 1024);
    const bool fullscreen = window->boolAttribute("fullscreen", true);
    const int32_t retries = server->intAttribute("retries", 1);  // "0x3" is hexadecimal
    const double scale = window->doubleAttribute("scale", 1.0);  // absent: 1.0
    std::cout << "width " << width << ", fullscreen " << fullscreen << ", retries " << retries
              << ", scale " << scale << '\n';

    window->setAttribute("w", std::to_string(width * 2).c_str());  // replaces the value
    window->setAttribute("scale", "1.5");                          // appends a new one
    window->removeAttribute("fullscreen");
    server->renameAttribute("retries", "attempts");  // keeps the lookup hash in step
    if (XMLAttribute* url = server->attribute("url"))
        url->value += "realm/1";  // changed in place

    try {
        // Brace notation, quoted where the reader needs it, reads back as this tree.
        tarvik::xml::writeBrace(document.root(), std::cout);
        std::cout << '\n';
    } catch (const XMLException& error) {
        std::cerr << error.describe() << '\n';  // names the node the notation cannot hold
        return EXIT_FAILURE;
    }

    // Markup text, as a markup file holds the root's children, read back from
    // a buffer of known length.
    std::ostringstream markup;
    for (const auto& child : document.root().children)
        child->print(markup, 0) << '\n';
    std::cout << markup.str();
    const std::string text = markup.str();
    XMLDocument again;
    again.parseMarkup(text.data(), text.size());
    std::cout << "read back: w=" << again.root().firstChild("window")->intAttribute("w", 0) << '\n';
    return EXIT_SUCCESS;
}
