#include "host/launch_parameters.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "host/launcher_diagnostics.h"
#include "host/launcher_texts.h"
#include "xml/document.h"

namespace {

using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;

// The C library of the 32-bit build has 32-bit long and int: an out-of-range
// number saturates there. Reading 64 bits and clamping gives the same result
// on every platform.
int32_t saturate(long long value) {
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int32_t parseWaitClose(const char* value) {
    if (std::strncmp(value, "0x", 2) == 0)
        return saturate(std::strtoll(value, nullptr, 16));
    return saturate(std::strtoll(value, nullptr, 10));
}

// The root carries the parameters, unless it is only a wrapper around one group.
const XMLElement& parameterElement(const XMLDocument& document) {
    const XMLElement& root = document.root();
    if (root.attributes.empty() && root.children.size() == 1 && root.children.front())
        return *root.children.front();
    return root;
}

}  // namespace

LaunchParameters readLaunchParameters(const wchar_t* commandLine) {
    if (!commandLine)
        return LaunchParameters();

    XMLDocument document;
    CodePageString text(commandLine);
    if (text.narrow.empty())
        text.toNarrow();
    // A refused text still leaves what came before the error, and that is read.
    document.parseBrace(text.narrow.c_str());
    return launchParametersOf(document);
}

LaunchParameters launchParametersOf(const XMLDocument& document) {
    LaunchParameters parameters;
    if (const char* url = parameterElement(document).findAttribute("url"))
        parameters.url = url;
    if (const char* connstate = parameterElement(document).findAttribute("connstate"))
        parameters.connstate = connstate;
    if (const char* waitClose = parameterElement(document).findAttribute("waitClose"))
        parameters.waitClose = parseWaitClose(waitClose);
    return parameters;
}

void reportStartupError(const wchar_t* commandLine) {
    debugOutputWide(commandLine);
    showErrorBox(StartupErrorText);
}
