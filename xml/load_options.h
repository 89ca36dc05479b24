// How far the file loaders read. A regular file is read up to its size when
// opened; any other source (pipe, device, standard input, a size-0 file of
// /proc) is read up to `streamLimit` bytes and refused past it with
// messages::InputTooLarge, rather than growing memory without bound.
//
//     tarvik::xml::LoadOptions options;
//     options.streamLimit = 512u << 20;          // a pipe may bring up to 512 MiB
//     doc.loadMarkupFile("/dev/stdin", options);
#ifndef TARVIK_XML_LOAD_OPTIONS_H
#define TARVIK_XML_LOAD_OPTIONS_H

#include <cstdint>

namespace tarvik::xml {

// Default bound on a source that is not a regular file: 64 MiB, far above any
// document in use, and low enough that its tree (up to about 15 times the
// text) fits the 32-bit address space.
inline constexpr std::uint64_t DefaultStreamLimit = std::uint64_t{64} << 20;

// Choices for the file and stream loaders (loadMarkupFile, loadXmlFile, loadBinary).
struct LoadOptions {
    // Most bytes read from a source that is not a regular file.
    std::uint64_t streamLimit = DefaultStreamLimit;
};

}  // namespace tarvik::xml

#endif  // TARVIK_XML_LOAD_OPTIONS_H
