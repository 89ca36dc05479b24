#include "xml/brace.h"

#include <cstdio>
#include <stdexcept>

#include "xml/debug_output.h"
#include "xml/messages.h"
#include "xml/node_class.h"

namespace tarvik::xml {

namespace {

bool isWhite(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}
bool isOpening(char c) {
    return c == '(' || c == '{';
}
bool isClosing(char c) {
    return c == ')' || c == '}';
}

// Bytes that end a bare token. Bytes from 0x80 up are never delimiters.
bool endsBareToken(char c) {
    switch (c) {
        case '\0':
        case '\t':
        case '\n':
        case '\r':
        case ' ':
        case '(':
        case ')':
        case '{':
        case '}':
        case ',':
        case ';':
        case '=':
            return true;
        default:
            return false;
    }
}

bool isCommentMarker(const std::string& token) {
    return token.size() >= 2 && token[0] == '-' && token[1] == '-';
}

// A comment runs to the end of its line; the line break itself is a separator.
const char* skipToLineEnd(const char* position) {
    while (*position && *position != '\r' && *position != '\n')
        ++position;
    return position;
}

const char* readGroup(const char* position, XMLElement& element, int32_t depth, NodeStore* store);

// The state of one group while its text is read.
class GroupReader {
public:
    // Fills `element`, with every node and link from `store` (null: the heap).
    GroupReader(XMLElement& element, int32_t depth, NodeStore* store)
        : element_(element), depth_(depth), store_(store) {}

    // Grammar of a group, one token at a time:
    //   group  := { item } ( NUL | closing bracket )
    //   item   := "--" comment | name "=" value | name "=" group-bracket
    //           | name group-bracket | value separator | value
    // What a token means depends on the byte after it (the stop character)
    // and on whether a name is waiting for its value.
    const char* read(const char* position) {
        position = skipWhite(position);
        while (*position) {
            position = readBraceToken(position, token_);
            if (isCommentMarker(token_)) {
                position = skipSeparators(skipToLineEnd(position));
                continue;
            }
            position = skipWhite(position);
            const char stop = *position;
            if (token_.empty() && isClosing(stop))
                return position;  // a waiting name is dropped
            if (pending_) {
                storePending();
                if (isClosing(stop))
                    return position;
                position = skipSeparators(position);
                continue;
            }
            if (const char* next = actOnStop(position)) {
                position = next;
                continue;
            }
            return position;  // a closing bracket ended the group
        }
        return position;
    }

private:
    // Acts on a token that no name is waiting for. Returns where reading goes
    // on, or null when the stop character closed the group.
    const char* actOnStop(const char* stopPosition) {
        const char stop = *stopPosition;
        if (stop == '=') {
            const char* afterEquals = skipWhite(stopPosition + 1);
            if (isOpening(*afterEquals))
                return openChild(afterEquals);
            pendingName_ = token_;
            pending_ = true;
            return afterEquals;
        }
        if (isOpening(stop))
            return openChild(stopPosition);
        if (isClosing(stop)) {
            if (isNamed() && counter_ == 0)
                element_.text = token_;
            else
                appendIndexed();
            return nullptr;
        }
        if (stop == ',' || stop == ';' || !isNamed()) {
            appendIndexed();
            return skipSeparators(stopPosition);
        }
        element_.text = token_;  // the next byte begins the next token, or ends the text
        return stopPosition;
    }

    bool isNamed() const { return !element_.name.empty(); }

    void storePending() {
        element_.attributes.emplaceBackIn(store_, std::move(pendingName_), token_);
        pendingName_.clear();
        pending_ = false;
    }

    void appendIndexed() {
        char indexName[16];  // "[" + at most 11 digits and sign + "]" + NUL
        std::snprintf(indexName, sizeof indexName, "[%d]", static_cast<int>(++counter_));
        element_.attributes.emplaceBackIn(store_, std::string(indexName), token_);
    }

    // Reads the child group whose bracket stands at `bracket`, named by the
    // current token, and attaches it once its closing bracket is seen.
    const char* openChild(const char* bracket) {
        std::unique_ptr<XMLElement> child = newNodeOf(NodeClass::Element, store_);
        child->name = token_;
        const char* end = readGroup(bracket + 1, *child, depth_ + 1, store_);
        if (!isClosing(*end))
            throw std::runtime_error(messages::BracketMismatch);
        appendChildIn(store_, element_, std::move(child));
        return end + 1;
    }

    XMLElement& element_;
    const int32_t depth_;
    NodeStore* const store_;
    int32_t counter_ = 0;   // indexed attributes made so far in this group
    bool pending_ = false;  // a "name =" waits for its value
    std::string pendingName_;
    std::string token_;  // one buffer, reused for every token of the group
};

// parseBraceGroup with the nodes and links from `store` (null: the heap).
const char* readGroup(const char* position, XMLElement& element, int32_t depth, NodeStore* store) {
    if (depth > MaxBraceDepth)
        throw std::runtime_error(messages::BracketsTooDeep);
    return GroupReader(element, depth, store).read(position);
}

}  // namespace

const char* skipSeparators(const char* position) {
    if (!position)
        return nullptr;
    while (isWhite(*position) || *position == ',' || *position == ';')
        ++position;
    return position;
}

// token  := quoted | bare | empty
// quoted := "'" { byte other than "'" | "''" } ( "'" | NUL )   -- not opened by "''"
// bare   := { byte that is no delimiter }
const char* readBraceToken(const char* position, std::string& token) {
    if (!position)
        return nullptr;
    token.clear();
    position = skipWhite(position);
    if (position[0] == '\'' && position[1] != '\'') {
        for (++position; *position; ++position) {
            if (*position != '\'') {
                token += *position;
            } else if (position[1] == '\'') {
                token += '\'';
                ++position;
            } else {
                return position + 1;
            }
        }
        return position;
    }
    const char* start = position;
    while (!endsBareToken(*position))
        ++position;
    token.assign(start, position);
    return position;
}

const char* parseBraceGroup(const char* position, XMLElement& element, int32_t depth) {
    return readGroup(position, element, depth, nullptr);
}

bool XMLDocument::parseBrace(const char* text) {
    resetRoot();
    try {
        readGroup(text ? text : "", root_, 0, &store_);
    } catch (const std::exception& error) {
        debugOutput(error.what());
        return false;
    }
    return true;
}

}  // namespace tarvik::xml
