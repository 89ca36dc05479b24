// Internal: where the library reports errors that it handles itself.
#ifndef TARVIK_XML_DEBUG_OUTPUT_H
#define TARVIK_XML_DEBUG_OUTPUT_H

namespace tarvik::xml {

// Sends a NUL-terminated text to the debugger output (OutputDebugStringA on
// Windows, standard error elsewhere). The bytes are passed as they are.
void debugOutput(const char* text);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_DEBUG_OUTPUT_H
