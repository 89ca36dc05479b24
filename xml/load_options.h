// How far the file loaders read.
//
//     tarvik::xml::LoadOptions options;
//     options.streamLimit = 512u << 20;          // a pipe may bring up to 512 MiB
//     doc.loadMarkupFile("/dev/stdin", options);
//
// A regular file is read up to the size it has when it is opened, whatever
// that is. Anything else (a pipe, a FIFO, a device, standard input, a regular
// file of size 0 such as those of /proc, which report no size) has no size
// to believe, so it is read only up to `streamLimit` bytes: a source that
// goes on past that is refused with messages::InputTooLarge instead of growing
// memory until it runs out.
#ifndef TARVIK_XML_LOAD_OPTIONS_H
#define TARVIK_XML_LOAD_OPTIONS_H

#include <cstdint>

namespace tarvik::xml {

// Default bound on a source that is not a regular file: 64 MiB. Far above any
// document the library is used for, and low enough that the tree built from
// it (up to about 15 times the text, for the deepest shapes) still fits the
// address space of the 32-bit build.
inline constexpr std::uint64_t DefaultStreamLimit = std::uint64_t{64} << 20;

// Choices for loadMarkupFile and loadBinary.
struct LoadOptions {
    // Most bytes read from a source that is not a regular file.
    std::uint64_t streamLimit = DefaultStreamLimit;
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_LOAD_OPTIONS_H
