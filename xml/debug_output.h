// Internal: where the library reports errors that it handles itself.
#ifndef TARVIK_XML_DEBUG_OUTPUT_H
#define TARVIK_XML_DEBUG_OUTPUT_H

namespace tarvik::xml {

// Sends a NUL-terminated byte text to the debugger output as it is, with no
// conversion (OutputDebugStringA on Windows, a line on standard error
// elsewhere); a null text sends nothing.
void debugOutputBytes(const char* text);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_DEBUG_OUTPUT_H
