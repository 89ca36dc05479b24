#include "bench/corpus.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <regex>

namespace bench {

namespace {

// Fixed seed: every run builds the same documents.
constexpr uint64_t Seed = 0x5EED'2024'0001ULL;

// splitmix64: small, fast and the same on every platform, unlike the
// distributions of <random>.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high].
    std::size_t between(std::size_t low, std::size_t high) {
        return low + static_cast<std::size_t>(next() % (high - low + 1));
    }
    template <std::size_t Size>
    const char* pick(const char* const (&choices)[Size]) {
        return choices[next() % Size];
    }

private:
    uint64_t state_;
};

// Words for names and text; the last ones are GB2312 (中文 元素 游戏 数据 服务器),
// since that is what the library holds in practice.
constexpr const char* Words[] = {
    "alpha",
    "bravo",
    "charlie",
    "delta",
    "echo",
    "foxtrot",
    "golf",
    "hotel",
    "india",
    "juliet",
    "kilo",
    "lima",
    "mike",
    "november",
    "oscar",
    "papa",
    "quebec",
    "romeo",
    "sierra",
    "tango",
    "uniform",
    "victor",
    "whiskey",
    "xray",
    "yankee",
    "zulu",
    "server",
    "launcher",
    "window",
    "message",
    "record",
    "value",
    "\xD6\xD0\xCE\xC4",
    "\xD4\xAA\xCB\xD8",
    "\xD3\xCE\xCF\xB7",
    "\xCA\xFD\xBE\xDD",
    "\xB7\xFE\xCE\xF1\xC6\xF7",
};
constexpr const char* Cities[] = {"Springfield",      "Shelbyville",      "Ogdenville",
                                  "North Haverbrook", "\xB1\xB1\xBE\xA9", "\xC9\xCF\xBA\xA3"};
constexpr const char* TagKeys[] = {"colour", "size", "owner", "status", "kind", "note"};

constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n";

// Paragraph and comment lengths in words, and how deep the deep shape goes.
constexpr std::size_t ShortestParagraph = 30;
constexpr std::size_t LongestParagraph = 160;
constexpr std::size_t WordsPerLine = 12;
constexpr std::size_t ShallowestBranch = 50;
constexpr std::size_t DeepestBranch = 200;

void appendWords(std::string& out, Random& random, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out += (i % WordsPerLine == 0) ? '\n' : ' ';
        out += random.pick(Words);
    }
}

std::string number(uint64_t value) {
    return std::to_string(value);
}

// <record id=".." user=".." email=".." city=".." score=".." active=".." created=".."/>,
// every fourth with two or three <tag k=".." v=".."/> children.
void appendRecord(std::string& out, Random& random, std::size_t index) {
    const std::string user = std::string(random.pick(Words)) + number(random.between(1, 9999));
    out += "\t<record id=\"" + number(index) + "\" user=\"" + user + "\" email=\"" + user +
           "@example.org\" city=\"" + random.pick(Cities) + "\" score=\"" +
           number(random.between(0, 1000)) + "." + number(random.between(0, 9)) + "\" active=\"" +
           (random.next() % 2 ? "true" : "false") + "\" created=\"2024-" +
           number(random.between(10, 12)) + "-" + number(random.between(10, 28)) + "T0" +
           number(random.between(0, 9)) + ":" + number(random.between(10, 59)) + ":" +
           number(random.between(10, 59)) + "Z\"";
    if (index % 4 != 0) {
        out += "/>\n";
        return;
    }
    out += ">\n";
    for (std::size_t tags = random.between(2, 3); tags > 0; --tags)
        out += std::string("\t\t<tag k=\"") + random.pick(TagKeys) + "\" v=\"" +
               random.pick(Words) + "\"/>\n";
    out += "\t</record>\n";
}

// <chapter n=".."><title>..</title> then sections of paragraphs.
void appendChapter(std::string& out, Random& random, std::size_t index) {
    out += "\t<chapter n=\"" + number(index) + "\">\n\t\t<title>";
    appendWords(out, random, random.between(2, 6));
    out += "</title>\n";
    for (std::size_t section = random.between(2, 4); section > 0; --section) {
        out += "\t\t<section>\n";
        for (std::size_t para = random.between(2, 5); para > 0; --para) {
            out += "\t\t\t<para>";
            appendWords(out, random, random.between(ShortestParagraph, LongestParagraph));
            out += "</para>\n";
        }
        out += "\t\t</section>\n";
    }
    out += "\t</chapter>\n";
}

// A comment, a CDATA section holding "<", "&" and "]]", an escaped text, an
// element with attributes and text, and an empty element. Comments and CDATA
// sections vary in length, so the searches for their ends do too.
void appendMarkupBlock(std::string& out, Random& random, std::size_t index) {
    out += "\t<!-- entry " + number(index) + ": ";
    appendWords(out, random, random.between(3, 60));
    out += " <tags> inside -->\n\t<![CDATA[raw <bytes> ]] " + number(index) + " & ";
    appendWords(out, random, random.between(3, 80));
    out += "]]>\n\t<motd>[[data|1 > 2 ";
    appendWords(out, random, random.between(1, 8));
    out +=
        "|data]]</motd>\n\t<item id=\"" + number(index) + "\" name=\"" + random.pick(Words) + "\">";
    appendWords(out, random, random.between(1, 10));
    out += "</item>\n\t<flag on=\"1\"/>\n";
}

// One branch: nested <n d=".."> elements 50 to 200 deep, some holding a word
// of text, closed by as many end tags.
void appendBranch(std::string& out, Random& random, std::size_t index) {
    const std::size_t depth = random.between(ShallowestBranch, DeepestBranch);
    for (std::size_t level = 0; level < depth; ++level) {
        out += "<n d=\"" + number(level) + "\">";
        if (level % 3 == 0)
            out += random.pick(Words);
        out += '\n';
    }
    out += "<leaf branch=\"" + number(index) + "\"/>\n";
    for (std::size_t level = 0; level < depth; ++level)
        out += "</n>\n";
}

using BlockWriter = void (*)(std::string&, Random&, std::size_t);

std::string repeatBlocks(const char* top, BlockWriter writeBlock, std::size_t bytes) {
    Random random(Seed);
    std::string out = std::string(Declaration) + "<" + top + ">\n";
    out.reserve(bytes + bytes / 8);
    for (std::size_t index = 0; out.size() < bytes; ++index)
        writeBlock(out, random, index);
    return out + "</" + top + ">\n";
}

}  // namespace

const char* shapeName(Shape shape) {
    switch (shape) {
        case Shape::Records:
            return "records";
        case Shape::Text:
            return "text";
        case Shape::Markup:
            return "markup";
        case Shape::Deep:
            return "deep";
        case Shape::Real:
            return "real";
    }
    return "?";
}

std::string generate(Shape shape, std::size_t bytes) {
    switch (shape) {
        case Shape::Records:
            return repeatBlocks("records", appendRecord, bytes);
        case Shape::Text:
            return repeatBlocks("book", appendChapter, bytes);
        case Shape::Markup:
            return repeatBlocks("entries", appendMarkupBlock, bytes);
        case Shape::Deep:
            return repeatBlocks("deep", appendBranch, bytes);
        case Shape::Real:
            break;
    }
    return std::string();
}

namespace {

// Each GB2312 word of the corpus, with its UTF-8 form and the same as
// hexadecimal and decimal character references.
struct WordForms {
    const char* gb2312;
    const char* utf8;
    const char* hexReferences;
    const char* decimalReferences;
};

constexpr WordForms Gb2312Words[] = {
    {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87", "&#x4E2D;&#x6587;", "&#20013;&#25991;"},
    {"\xD4\xAA\xCB\xD8", "\xE5\x85\x83\xE7\xB4\xA0", "&#x5143;&#x7D20;", "&#20803;&#32032;"},
    {"\xD3\xCE\xCF\xB7", "\xE6\xB8\xB8\xE6\x88\x8F", "&#x6E38;&#x620F;", "&#28216;&#25103;"},
    {"\xCA\xFD\xBE\xDD", "\xE6\x95\xB0\xE6\x8D\xAE", "&#x6570;&#x636E;", "&#25968;&#25454;"},
    {"\xB7\xFE\xCE\xF1\xC6\xF7", "\xE6\x9C\x8D\xE5\x8A\xA1\xE5\x99\xA8", "&#x670D;&#x52A1;&#x5668;",
     "&#26381;&#21153;&#22120;"},
    {"\xB1\xB1\xBE\xA9", "\xE5\x8C\x97\xE4\xBA\xAC", "&#x5317;&#x4EAC;", "&#21271;&#20140;"},
    {"\xC9\xCF\xBA\xA3", "\xE4\xB8\x8A\xE6\xB5\xB7", "&#x4E0A;&#x6D77;", "&#19978;&#28023;"},
};

// Replaces every `from` in `text` by what `to(n)` gives for the n-th one.
template <typename Replacement>
void replaceEach(std::string& text, const std::string& from, Replacement to) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t done = 0;
    std::size_t count = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
        out.append(text, done, at - done);
        out += to(count++);
        done = at + from.size();
    }
    out.append(text, done, std::string::npos);
    text = std::move(out);
}

}  // namespace

std::string generateXml(Shape shape, std::size_t bytes) {
    std::string text = generate(shape, bytes);
    replaceEach(text, "encoding=\"gb2312\"", [](std::size_t) { return "encoding=\"UTF-8\""; });
    for (const WordForms& word : Gb2312Words) {
        replaceEach(text, word.gb2312, [&](std::size_t n) {
            return n % 3 == 0   ? word.utf8
                   : n % 3 == 1 ? word.hexReferences
                                : word.decimalReferences;
        });
    }
    // References in attribute values and in text.
    replaceEach(text, "@example.org\"", [](std::size_t n) {
        return n % 2 ? "@example.org &amp; &#x2603;\"" : "@example.org\"";
    });
    replaceEach(text, "</item>",
                [](std::size_t) { return " &lt;b&gt; &amp; &quot;q&apos;</item>"; });
    replaceEach(text, "</para>",
                [](std::size_t n) { return n % 4 ? "</para>" : " &amp; &#169;</para>"; });
    return text;
}

std::string realXmlDocument() {
    std::ifstream in(RealDocumentPath, std::ios::binary);
    return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string realDocument() {
    std::string text = realXmlDocument();
    // "<!DOCTYPE name [ ... ]>": the internal subset holds no "]>" of its own.
    const std::size_t doctype = text.find("<!DOCTYPE");
    if (doctype != std::string::npos) {
        const std::size_t end = text.find("]>", doctype);
        text.erase(doctype, end == std::string::npos ? std::string::npos : end + 2 - doctype);
    }
    return std::regex_replace(text, std::regex("&[A-Za-z#0-9]+;"), "");
}

}  // namespace bench
