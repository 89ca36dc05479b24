// Brace notation written from a tree: the reader's rules (xml/brace.cpp),
// turned round.
//   token   a bare token runs to the first delimiter; a "'" opens a quoted
//           token unless a second "'" follows, which makes the token bare;
//           a token that begins with "--" is a comment marker, quoted or not
//   pair    "name =" takes exactly the next token as its value; an empty
//           value must be ended by ",", since "name =" before the end of the
//           text or a closing bracket is dropped and before a token takes it
//   group   "name = (" or "(" opens a child; a "," after its ")" would make
//           an empty indexed attribute, so groups are followed by a space
//   text    a value without a name is the text of a named group before its
//           ")" while no indexed attribute was made, or before the end of
//           the whole text; the root reads as named
// No zero byte can stand in the text, which ends at the first.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "xml/brace.h"
#include "xml/brace_syntax.h"
#include "xml/messages.h"
#include "xml/node_path.h"

namespace tarvik::xml {

namespace {

// Bytes that end a bare token, as the reader has them.
bool isDelimiter(char c) {
    return syntax::isBraceDelimiter(static_cast<unsigned char>(c));
}

bool holdsDelimiter(std::string_view token) {
    for (char c : token) {
        if (isDelimiter(c))
            return true;
    }
    return false;
}

// A non-empty token reads back whole unquoted when no delimiter ends it early
// and it does not open a quoted token: a leading "'" only with a second after it.
bool canStandBare(std::string_view token) {
    return !holdsDelimiter(token) && (token[0] != '\'' || (token.size() > 1 && token[1] == '\''));
}

// Why a non-empty token cannot be written so that it reads back, or null.
// Quoting takes any byte but NUL, unless the token's own first "'" would
// double into "''" right after the opening quote.
const char* tokenFault(std::string_view token) {
    if (token.find('\0') != std::string_view::npos)
        return messages::ZeroByteInTree;
    if (token.size() > 1 && token[0] == '-' && token[1] == '-')
        return messages::BraceCommentMarker;
    if (token[0] == '\'' && !canStandBare(token))
        return messages::BraceLeadingQuote;
    return nullptr;
}

void appendToken(std::string& out, std::string_view token) {
    if (canStandBare(token)) {
        out += token;
        return;
    }
    out += '\'';
    for (char c : token) {
        if (c == '\'')
            out += '\'';
        out += c;
    }
    out += '\'';
}

// Builds the whole text first, so a refused tree writes nothing.
class BraceWriter {
public:
    explicit BraceWriter(const XMLElement& top) : top_(top) {}

    // Pre-order from a work list instead of recursing: a group's opening and
    // attributes when it is met, its text and ")" once its children are done.
    std::string write() {
        checkNode(top_);
        After after = After::Start;
        writeAttributes(top_, after);
        std::vector<Frame> open{{&top_, top_.children.begin(), after}};
        while (!open.empty()) {
            Frame& frame = open.back();
            if (frame.next == frame.element->children.end()) {
                closeGroup(frame);
                open.pop_back();
                continue;
            }
            const XMLElement* child = (frame.next++)->get();
            if (!child)
                refuse(messages::NullChild, *frame.element);
            if (open.size() > static_cast<std::size_t>(MaxBraceDepth))
                refuse(messages::BracketsTooDeep, *child);
            checkNode(*child);
            separate(frame.after);
            frame.after = After::Group;
            After inner = After::Start;
            openGroup(*child, inner);
            open.push_back({child, child->children.begin(), inner});
        }
        return std::move(out_);
    }

private:
    // What was written last in a group, which decides the separator before the next item.
    enum class After {
        Start,  // the group's opening, or nothing
        Pair,   // a pair with a value
        Comma,  // a pair with an empty value, and the "," that ends it
        Group,  // a child group's ")"
    };

    struct Frame {
        const XMLElement* element;
        XMLElement::ChildList::const_iterator next;  // the next child to write
        After after;
    };

    void separate(After after) {
        if (after == After::Pair)
            out_ += ", ";
        else if (after != After::Start)
            out_ += ' ';
    }

    // The notation holds elements with names, attributes, texts and groups only.
    void checkNode(const XMLElement& node) {
        if (node.isCData())
            refuse(messages::BraceCannotHoldCData, node);
        if (node.dataBracket != 0)
            refuse(messages::BraceCannotHoldDataBracket, node);
    }

    // A token that may be empty (a name, a value); refuses what cannot be written.
    void writeToken(std::string_view token, const XMLElement& node, const XMLAttribute* attribute) {
        if (token.empty())
            return;
        if (const char* fault = tokenFault(token))
            refuse(fault, node, attribute);
        appendToken(out_, token);
    }

    void writeAttributes(const XMLElement& element, After& after) {
        for (const XMLAttribute& attribute : element.attributes) {
            separate(after);
            writeToken(attribute.name, element, &attribute);
            out_ += '=';
            writeToken(attribute.value, element, &attribute);
            if (attribute.value.empty()) {
                out_ += ',';
                after = After::Comma;
            } else {
                after = After::Pair;
            }
        }
    }

    void openGroup(const XMLElement& child, After& after) {
        if (!child.name.empty()) {
            writeToken(child.name, child, nullptr);
            out_ += '=';
        }
        out_ += '(';
        writeAttributes(child, after);
    }

    // The text goes last, where the reader takes it; the top group has no brackets.
    void closeGroup(const Frame& frame) {
        const XMLElement& element = *frame.element;
        const bool isTop = &element == &top_;
        if (!element.text.empty()) {
            if (!isTop && element.name.empty())
                refuse(messages::BraceTextWithoutName, element);
            separate(frame.after);
            writeToken(element.text, element, nullptr);
        }
        if (!isTop)
            out_ += ')';
    }

    [[noreturn]] void refuse(const char* message, const XMLElement& node,
                             const XMLAttribute* attribute = nullptr) const {
        std::string path = nodePath(node, top_, 1);
        if (attribute)
            path += "@" + std::string(attribute->name.c_str());
        XMLException error(message);
        error.setNode(std::move(path));
        throw error;
    }

    const XMLElement& top_;
    std::string out_;
};

}  // namespace

void writeBrace(const XMLElement& element, std::ostream& out) {
    const std::string text = BraceWriter(element).write();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace tarvik::xml
