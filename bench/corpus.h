// Benchmark documents: deterministic markup texts of a chosen size in four
// shapes, and one real document from a Debian package. Every text is
// well-formed XML as well as our markup form, so the peer libraries read the
// very same bytes (the data-bracket escapes are plain text to them).
#ifndef BENCH_CORPUS_H
#define BENCH_CORPUS_H

#include <cstddef>
#include <string>

namespace bench {

// One megabyte, as the benchmark sizes count it.
constexpr std::size_t Megabyte = 1000000;

// The shapes of generated document.
enum class Shape {
    Records,  // attribute-heavy records, a few with child tags
    Text,     // long paragraphs in chapters and sections, moderate nesting
    Markup,   // comments, CDATA sections and data-bracket escapes
    Deep,     // branches nested 50 to 200 levels deep
    Real,     // the real document (one size only)
};

// Short lower-case name of a shape, as it appears in benchmark names.
const char* shapeName(Shape shape);

// A document of `shape` of at least `bytes` bytes (a little more: the last
// block and the closing tags are written whole). The same arguments always
// give the same bytes. Not for Shape::Real.
std::string generate(Shape shape, std::size_t bytes);

// The document generate() makes, as standard XML in UTF-8 with references
// to decode: the declaration says UTF-8, the GB2312 words become UTF-8 text
// or character references in turns, and the text and attribute values of
// the records and markup shapes carry entity and character references.
std::string generateXml(Shape shape, std::size_t bytes);

// Where the real document comes from: the shared-mime-info package's type
// database, 2.4 MB of UTF-8 with an internal DTD and a few entity references.
constexpr char RealDocumentPath[] = "/usr/share/mime/packages/freedesktop.org.xml";

// The real document with its DOCTYPE and entity references removed, so that
// our reader (which has neither) and the peers read the same bytes. Empty when
// the file is missing (install the "bench" group of tools/install-deps.sh).
std::string realDocument();
// The real document as it is, internal DTD and references included, for the
// readers of standard XML. Empty when the file is missing.
std::string realXmlDocument();

}  // namespace bench

#endif  // BENCH_CORPUS_H
