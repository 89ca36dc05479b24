// Uses the installed library through its umbrella header; exits 0 when the
// library reads a text as expected.
#include <cstring>
#include <iostream>

#include "xml/xml.h"

int main() {
    tarvik::xml::XMLDocument document;
    if (!document.parseBrace("url='http://example/', connstate=2, extra=(a, b)"))
        return 1;
    const char* url = document.root().findAttribute("url");
    if (!url || std::strcmp(url, "http://example/") != 0)
        return 1;
    if (document.root().children.size() != 1)
        return 1;
    document.root().children.front()->print(std::cout, 0);
    std::cout << '\n';
    return 0;
}
