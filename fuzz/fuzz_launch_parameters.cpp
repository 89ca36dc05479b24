// Command lines from arbitrary bytes, taken two at a time as UTF-16 units as
// Windows hands them over: the intake must never crash, and what it returns
// must agree with the tree the brace parser builds from the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/launch_parameters.h"
#include "xml/document.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

std::wstring commandLineFrom(const uint8_t* data, size_t size) {
    std::wstring line;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0)
            break;
        line += unit;
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring line = commandLineFrom(data, size);
    const LaunchParameters parameters = readLaunchParameters(line.c_str());

    // Values are NUL-terminated texts from the tree: never an embedded NUL.
    check(parameters.url.find('\0') == std::string::npos);
    check(parameters.connstate.find('\0') == std::string::npos);

    // The url must be the one the narrow text's tree carries where the intake looks.
    CodePageString narrow(line.c_str());
    narrow.toNarrow();
    tarvik::xml::XMLDocument document;
    document.parseBrace(narrow.narrow.c_str());
    const tarvik::xml::XMLElement* element = &document.root();
    if (element->attributes.empty() && element->children.size() == 1)
        element = element->children.front().get();
    const char* url = element->findAttribute("url");
    check(parameters.url == (url ? url : ""));
    return 0;
}
