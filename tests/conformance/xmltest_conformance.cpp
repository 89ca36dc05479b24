// Runs James Clark's xmltest cases (the W3C XML conformance suite, standalone
// documents) through XMLDocument::loadXmlFile:
//   valid/sa   each document must read, the canonical form of its tree must
//              equal the one in valid/sa/out/, and the tree must read back
//              the same after writeXml, in either layout;
//   not-wf/sa  each document must be refused with an XMLException.
// The canonical form is the one the suite's canonxml.html defines. The tree
// keeps neither processing instructions nor notations, nor white-space runs
// of an element whose runs are all white space, so those are taken out of
// the expected form before comparing.
//
//     xmltest_conformance SUITE_DIR
//
// Prints both counts and every failing case, and exits 1 when fewer than
// RequiredValid valid or RequiredNotWellFormed not-wf documents pass.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/tree_compare.h"
#include "xml/document.h"
#include "xml/xml_writer.h"

namespace {

using tarvik::xml::XMLAttribute;
using tarvik::xml::XMLDocument;
using tarvik::xml::XMLElement;
using tarvik::xml::XMLException;
using tarvik::xml::XmlLayout;
namespace fs = std::filesystem;

// The least the suite must give, of 120 and 187.
constexpr int RequiredValid = 115;
constexpr int RequiredNotWellFormed = 180;

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Datachar of canonxml.html: the characters written as references there.
std::string canonicalData(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The canonical form of an element and its subtree: attributes sorted by
// name (UTF-8 byte order is code point order), content in document order.
// A work list of pending pieces keeps deep trees off the call stack.
std::string canonicalForm(const XMLElement& top) {
    struct Piece {
        const XMLElement* node;  // an element or CDATA node to write, or null
        std::string closing;     // an end tag to write, when node is null
    };
    std::string out;
    std::vector<Piece> pending{{&top, {}}};
    while (!pending.empty()) {
        Piece piece = std::move(pending.back());
        pending.pop_back();
        if (!piece.node) {
            out += piece.closing;
            continue;
        }
        const XMLElement& node = *piece.node;
        if (node.isCData()) {
            out += canonicalData(node.text);
            continue;
        }
        std::vector<const XMLAttribute*> attributes;
        for (const XMLAttribute& attribute : node.attributes)
            attributes.push_back(&attribute);
        std::sort(attributes.begin(), attributes.end(),
                  [](const XMLAttribute* a, const XMLAttribute* b) { return a->name < b->name; });
        out += "<" + node.name;
        for (const XMLAttribute* attribute : attributes)
            out += " " + attribute->name + "=\"" + canonicalData(attribute->value) + "\"";
        out += ">" + canonicalData(node.text);
        pending.push_back({nullptr, "</" + node.name + ">"});
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
            pending.push_back({child->get(), {}});
    }
    return out;
}

// `text` without its processing instructions ("<?" ... "?>"; canonical
// data writes every "<" as "&lt;", so "<?" opens nothing else) and without a
// document type declaration, which holds only notations.
std::string withoutInstructionsAndNotations(std::string text) {
    if (text.compare(0, 9, "<!DOCTYPE") == 0) {
        const std::size_t end = text.find("]>\n");
        text.erase(0, end == std::string::npos ? text.size() : end + 3);
    }
    for (std::size_t open; (open = text.find("<?")) != std::string::npos;) {
        const std::size_t close = text.find("?>", open);
        text.erase(open, close == std::string::npos ? std::string::npos : close + 2 - open);
    }
    return text;
}

// True when a canonical run of data is white space only.
bool isWhiteSpaceRun(const std::string& run) {
    std::string rest = run;
    for (const char* space : {"&#9;", "&#10;", "&#13;"}) {
        for (std::size_t at; (at = rest.find(space)) != std::string::npos;)
            rest.erase(at, std::string(space).size());
    }
    return rest.find_first_not_of(' ') == std::string::npos;
}

// `text` without the data runs of each element whose runs, between and
// around child elements, are all white space: as the reader drops them.
std::string withoutIndentation(const std::string& text) {
    struct Open {
        std::vector<std::pair<std::size_t, std::size_t>> runs;  // [begin, end) in text
        bool hasChild = false;
    };
    std::vector<std::pair<std::size_t, std::size_t>> dropped;
    std::vector<Open> open;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '<') {
            const std::size_t end = std::min(text.find('<', at), text.size());
            if (!open.empty())
                open.back().runs.emplace_back(at, end);
            at = end;
            continue;
        }
        const std::size_t close = text.find('>', at);
        if (close == std::string::npos)
            break;
        if (text[at + 1] == '/') {
            if (!open.empty()) {
                const Open& element = open.back();
                const bool allWhite =
                    std::all_of(element.runs.begin(), element.runs.end(), [&](const auto& run) {
                        return isWhiteSpaceRun(text.substr(run.first, run.second - run.first));
                    });
                if (element.hasChild && allWhite)
                    dropped.insert(dropped.end(), element.runs.begin(), element.runs.end());
                open.pop_back();
            }
        } else {
            if (!open.empty())
                open.back().hasChild = true;
            open.emplace_back();
        }
        at = close + 1;
    }
    std::sort(dropped.begin(), dropped.end());
    std::string kept;
    std::size_t from = 0;
    for (const auto& [begin, end] : dropped) {
        kept.append(text, from, begin - from);
        from = end;
    }
    kept.append(text, from, std::string::npos);
    return kept;
}

std::vector<fs::path> documentsIn(const fs::path& folder) {
    std::vector<fs::path> documents;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".xml")
            documents.push_back(entry.path());
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

// Why a valid document fails, or empty when it passes.
std::string validFailure(const fs::path& document) {
    XMLDocument read;
    try {
        read.loadXmlFile(document.string());
    } catch (const XMLException& error) {
        return "refused: " + error.describe();
    } catch (const std::bad_alloc&) {
        return "out of memory";
    }
    if (read.root().children.size() != 1)
        return "the root does not hold one element";
    const std::string got = canonicalForm(*read.root().children.front());
    const fs::path out = document.parent_path() / "out" / document.filename();
    const std::string want = withoutIndentation(withoutInstructionsAndNotations(fileBytes(out)));
    if (got != want)
        return "canonical form differs:\n      got  " + got + "\n      want " + want;
    for (const XmlLayout layout : {XmlLayout::Indented, XmlLayout::Compact}) {
        std::ostringstream written;
        XMLDocument back;
        try {
            tarvik::xml::writeXml(read, written, layout);
            const std::string text = written.str();
            back.parseXml(text.data(), text.size());
        } catch (const XMLException& error) {
            return "not written back: " + error.describe();
        }
        const std::string difference = testing_support::treeDifference(read.root(), back.root());
        if (!difference.empty())
            return "reads back otherwise after writeXml: " + difference;
    }
    return {};
}

// Why a not-well-formed document fails (it was accepted), or empty.
std::string notWellFormedFailure(const fs::path& document) {
    XMLDocument read;
    try {
        read.loadXmlFile(document.string());
    } catch (const XMLException&) {
        return {};
    } catch (const std::bad_alloc&) {
        return "out of memory instead of a refusal";
    }
    return "accepted";
}

// Runs every document of `folder` through `failure`, printing each failure;
// returns how many passed.
int runFolder(const fs::path& folder, std::string (*failure)(const fs::path&), int& total) {
    int passed = 0;
    const std::vector<fs::path> documents = documentsIn(folder);
    total = static_cast<int>(documents.size());
    for (const fs::path& document : documents) {
        const std::string why = failure(document);
        if (why.empty())
            ++passed;
        else
            std::cout << "  FAIL " << fs::relative(document, folder.parent_path().parent_path())
                      << ": " << why << '\n';
    }
    return passed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: xmltest_conformance SUITE_DIR (the xmltest folder)\n";
        return 2;
    }
    const fs::path suite(argv[1]);
    if (!fs::is_directory(suite / "valid" / "sa") || !fs::is_directory(suite / "not-wf" / "sa")) {
        std::cerr << "xmltest_conformance: " << suite << " holds no valid/sa and not-wf/sa\n";
        return 2;
    }
    int validTotal = 0;
    int notWellFormedTotal = 0;
    std::cout << "valid/sa:\n";
    const int valid = runFolder(suite / "valid" / "sa", validFailure, validTotal);
    std::cout << "not-wf/sa:\n";
    const int notWellFormed =
        runFolder(suite / "not-wf" / "sa", notWellFormedFailure, notWellFormedTotal);
    std::cout << "valid/sa read with the right canonical form: " << valid << " of " << validTotal
              << " (at least " << RequiredValid << " required)\n"
              << "not-wf/sa refused: " << notWellFormed << " of " << notWellFormedTotal
              << " (at least " << RequiredNotWellFormed << " required)\n";
    return valid >= RequiredValid && notWellFormed >= RequiredNotWellFormed ? 0 : 1;
}
