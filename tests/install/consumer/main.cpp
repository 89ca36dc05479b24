// Uses the installed library through its umbrella header; exits 0 when the
// library reads a text as expected.
#include <cstring>
#include <iostream>
#include <string>

#include "xml/xml.h"

// Built as C++20 on purpose: the library's compile flags must leave the
// consumer's standard alone.
#ifdef TARVIK_CONSUMER_CXX20
#if __cplusplus < 202002L
#error "built as C++20, but the flags turned it into an older standard"
#endif
#include <span>
#endif

int main() {
    tarvik::xml::XMLDocument document;
    if (!document.parseBrace("url='http://example/', connstate=2, extra=(a, b)"))
        return 1;
    const char* url = document.root().findAttribute("url");
    if (!url || std::strcmp(url, "http://example/") != 0)
        return 1;
    if (document.root().children.size() != 1)
        return 1;
#ifdef TARVIK_CONSUMER_CXX20
    const char name[] = "extra";
    const std::span<const char> expected(name, sizeof name - 1);
    if (document.root().children.front()->name != std::string(expected.begin(), expected.end()))
        return 1;
#endif
    document.root().children.front()->print(std::cout, 0);
    std::cout << '\n';
    return 0;
}
