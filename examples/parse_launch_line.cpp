// Parse a launch command line in brace notation and read its settings, the
// way the launcher does: from the root, or from the one group that wraps them.
//
//     parse_launch_line "url='http://game.example/', connstate=2, waitClose=0"
#include <cstdlib>
#include <iostream>

#include "xml/xml.h"

using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

// The settings live on the root, unless the root only wraps one group.
const XMLElement& settingsOf(const XMLDocument& document) {
    const XMLElement& root = document.root();
    if (root.attributes.empty() && root.children.size() == 1)
        return *root.children.front();
    return root;
}

int main(int argc, char** argv) {
    const char* line = argc > 1 ? argv[1] : "(url='http://game.example/', connstate=2)";

    XMLDocument document;
    if (!document.parseBrace(line))  // the reason went to the debugger output / stderr
        std::cout << "the text is refused; what came before the error is kept\n";

    const XMLElement& settings = settingsOf(document);
    for (const char* name : {"url", "connstate", "waitClose"}) {
        const char* value = settings.findAttribute(name);
        std::cout << name << " = " << (value ? value : "(not given)") << '\n';
    }

    // Every attribute, in the order written: named ones and indexed ones ([1], [2], ...).
    for (const auto& attribute : settings.attributes)
        std::cout << "  " << attribute.name << ": " << attribute.value << '\n';
    return settings.findAttribute("url") ? EXIT_SUCCESS : EXIT_FAILURE;
}
