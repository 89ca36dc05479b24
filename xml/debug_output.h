// Internal: where the library reports errors that it handles itself.
#ifndef TARVIK_XML_DEBUG_OUTPUT_H
#define TARVIK_XML_DEBUG_OUTPUT_H

namespace tarvik::xml {

// Sends a NUL-terminated text to the debugger output (elsewhere than Windows,
// a line on standard error) as it is, unconverted; null sends nothing.
void debugOutputBytes(const char* text);

}  // namespace tarvik::xml

#endif  // TARVIK_XML_DEBUG_OUTPUT_H
