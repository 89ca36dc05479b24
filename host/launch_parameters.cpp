#include "host/launch_parameters.h"

#include <cstddef>
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

// waitClose in hexadecimal starts with this prefix; anything else is decimal.
constexpr char HexadecimalPrefix[] = "0x";
constexpr std::size_t HexadecimalPrefixLength = sizeof HexadecimalPrefix - 1;
constexpr int HexadecimalBase = 16;
constexpr int DecimalBase = 10;

// waitClose := "0x" hex-digits | [ white space ] [ sign ] digits, read as
// strtoll reads it (0 without digits), then saturated to 32 bits.
int32_t parseWaitClose(const char* value) {
    if (std::strncmp(value, HexadecimalPrefix, HexadecimalPrefixLength) == 0)
        return saturate(std::strtoll(value, nullptr, HexadecimalBase));
    return saturate(std::strtoll(value, nullptr, DecimalBase));
}

// The root carries the parameters, unless it is only a wrapper around one group.
const XMLElement& parameterElement(const XMLDocument& document) {
    const XMLElement& root = document.root();
    if (root.attributes.empty() && root.children.size() == 1 && root.children.front())
        return *root.children.front();
    return root;
}

}  // namespace

// Parses the command line (null allowed) and takes the parameters from it. A
// text the brace parser refuses still yields what it read before the error.
// waitClose: "0x..." is hexadecimal; anything else is read like atoi (leading
// white space, sign, digits; 0 without digits). Values beyond 32 bits
// saturate, as the C library of the 32-bit Windows build does.
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

// Takes the parameters from a command line already parsed into `document`,
// exactly as readLaunchParameters does after its parse. Lets a caller that
// parses the text itself (to see the parser's error) read what the launcher
// would read.
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
