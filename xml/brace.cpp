#include "xml/brace.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "xml/brace_syntax.h"
#include "xml/debug_output.h"
#include "xml/messages.h"
#include "xml/node_class.h"
#include "xml/own_text.h"
#include "xml/xml_chars.h"

namespace tarvik::xml {

namespace {

using xmlchars::ByteValues;
using xmlchars::DecimalBase;
using xmlchars::isSpace;

bool isOpening(char c) {
    return c == '(' || c == '{';
}
bool isClosing(char c) {
    return c == ')' || c == '}';
}

// isDelimiter for every byte, so a bare token costs one lookup per byte.
constexpr std::array<bool, ByteValues> makeDelimiters() {
    std::array<bool, ByteValues> table{};
    for (size_t c = 0; c < ByteValues; ++c)
        table[c] = syntax::isBraceDelimiter(static_cast<unsigned char>(c));
    return table;
}

constexpr std::array<bool, ByteValues> Delimiters = makeDelimiters();

bool endsBareToken(char c) {
    return Delimiters[static_cast<unsigned char>(c)];
}

bool isCommentMarker(std::string_view token) {
    return token.size() >= 2 && token[0] == '-' && token[1] == '-';
}

// Room for "[" + the digits of any 64-bit count + "]".
constexpr size_t IndexNameSize = 24;

// The name of the `index`-th indexed attribute, "[1]", "[2]", ..., written
// into the end of `buffer`: the text "[%d]" gives, without a format call.
std::string_view indexName(int64_t index, char (&buffer)[IndexNameSize]) {
    char* first = buffer + IndexNameSize;
    *--first = ']';
    do {
        *--first = static_cast<char>('0' + index % DecimalBase);
        index /= DecimalBase;
    } while (index > 0);
    *--first = '[';
    return std::string_view(first, static_cast<size_t>(buffer + IndexNameSize - first));
}

// The byte after a quoted token that begins at `position` (just past its
// opening quote), with its content in `token`: a view of the text itself
// while no doubled quote needs undoing, else of `unquoted`.
const char* readQuoted(const char* position, std::string_view& token, std::string& unquoted) {
    const char* start = position;
    while (*position && *position != '\'')
        ++position;
    if (*position == '\0' || position[1] != '\'') {
        token = std::string_view(start, static_cast<size_t>(position - start));
        return *position ? position + 1 : position;
    }
    unquoted.assign(start, position);
    for (; *position; ++position) {
        if (*position != '\'') {
            unquoted += *position;
        } else if (position[1] == '\'') {
            unquoted += '\'';
            ++position;
        } else {
            ++position;
            break;
        }
    }
    token = unquoted;
    return position;
}

// token  := quoted | bare | empty
// quoted := "'" { byte other than "'" | "''" } ( "'" | NUL )   -- not opened by "''"
// bare   := { byte that is no delimiter }
// As readBraceToken, but the token is a view: of the text, or of `unquoted`.
const char* readToken(const char* position, std::string_view& token, std::string& unquoted) {
    position = skipWhite(position);
    if (position[0] == '\'' && position[1] != '\'')
        return readQuoted(position + 1, token, unquoted);
    const char* start = position;
    while (!endsBareToken(*position))
        ++position;
    token = std::string_view(start, static_cast<size_t>(position - start));
    return position;
}

// A comment runs to the end of its line; the line break itself is a separator.
const char* skipToLineEnd(const char* position) {
    while (*position && *position != '\r' && *position != '\n')
        ++position;
    return position;
}

const char* readGroup(const char* position, XMLElement& element, int32_t depth,
                      detail::NodeStore* store);

// The state of one group while its text is read.
class GroupReader {
public:
    // Fills `element`, with every node and link from `store` (null: the heap).
    GroupReader(XMLElement& element, int32_t depth, detail::NodeStore* store)
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
            position = readToken(position, token_, unquoted_);
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
            if (!token_.empty() && token_.data() == unquoted_.data()) {
                nameBytes_ = token_;  // the next token reuses unquoted_
                pendingName_ = nameBytes_;
            }
            pending_ = true;
            return afterEquals;
        }
        if (isOpening(stop))
            return openChild(stopPosition);
        if (isClosing(stop)) {
            if (isNamed() && counter_ == 0)
                element_.text.assign(token_.data(), token_.size());
            else
                appendIndexed();
            return nullptr;
        }
        if (stop == ',' || stop == ';' || !isNamed()) {
            appendIndexed();
            return skipSeparators(stopPosition);
        }
        element_.text.assign(token_.data(), token_.size());  // the next token, or the end, follows
        return stopPosition;
    }

    bool isNamed() const { return !element_.name.empty(); }

    void storePending() {
        element_.attributes.emplaceBackIn(store_, pendingName_, token_);
        pending_ = false;
    }

    void appendIndexed() {
        char buffer[IndexNameSize];
        element_.attributes.emplaceBackIn(store_, indexName(++counter_, buffer), token_);
    }

    // Reads the child group whose bracket stands at `bracket`, named by the
    // current token, and attaches it once its closing bracket is seen.
    const char* openChild(const char* bracket) {
        std::unique_ptr<XMLElement> child = newNodeOf(NodeClass::Element, store_);
        child->name.assign(token_.data(), token_.size());
        const char* end = readGroup(bracket + 1, *child, depth_ + 1, store_);
        if (!isClosing(*end))
            throw std::runtime_error(messages::BracketMismatch);
        appendChildIn(store_, element_, std::move(child));
        return end + 1;
    }

    XMLElement& element_;
    const int32_t depth_;
    detail::NodeStore* const store_;
    int64_t counter_ = 0;   // indexed attributes made so far in this group
    bool pending_ = false;  // a "name =" waits for its value
    std::string_view pendingName_;
    std::string nameBytes_;  // a waiting name that had doubled quotes undone
    std::string_view token_;
    std::string unquoted_;  // a quoted token with doubled quotes undone
};

// parseBraceGroup with the nodes and links from `store` (null: the heap).
const char* readGroup(const char* position, XMLElement& element, int32_t depth,
                      detail::NodeStore* store) {
    if (depth > MaxBraceDepth)
        throw std::runtime_error(messages::BracketsTooDeep);
    return GroupReader(element, depth, store).read(position);
}

}  // namespace

const char* skipSeparators(const char* position) {
    if (!position)
        return nullptr;
    while (isSpace(*position) || *position == ',' || *position == ';')
        ++position;
    return position;
}

const char* readBraceToken(const char* position, std::string& token) {
    if (!position)
        return nullptr;
    std::string_view view;
    std::string unquoted;
    position = readToken(position, view, unquoted);
    token.assign(view.data(), view.size());
    return position;
}

const char* parseBraceGroup(const char* position, XMLElement& element, int32_t depth) {
    return readGroup(position, element, depth, nullptr);
}

namespace {

// The code lastBraceErrorCode() gives: the reader's message's, or OutOfMemory.
ErrorCode braceErrorCode(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) ||
        dynamic_cast<const std::length_error*>(&error))
        return ErrorCode::OutOfMemory;
    return errorCodeOf(error.what());
}

// The reason lastBraceError() gives. A group is only ever left open by the
// text ending inside it, so that place is known: the terminating NUL. The
// reader does not say where nesting went too deep, and memory has no place.
std::string braceErrorReason(const std::exception& error, const char* text) {
    if (dynamic_cast<const std::bad_alloc*>(&error) ||
        dynamic_cast<const std::length_error*>(&error))
        return messages::OutOfMemory;
    const std::string message = error.what();
    if (message == messages::BracketMismatch)
        return XMLException(messages::BracketMismatch, static_cast<int64_t>(std::strlen(text)))
            .describe();
    return message;
}

}  // namespace

bool XMLDocument::parseBrace(const char* text) {
    std::string copy;
    text = textToRead(*this, orEmpty(text), copy);
    resetRoot();
    lastBraceError_.clear();
    lastBraceErrorCode_ = ErrorCode::None;
    try {
        readGroup(text, root_, 0, &store_);
        store_.trim();
    } catch (const std::exception& error) {
        debugOutputBytes(error.what());
        lastBraceErrorCode_ = braceErrorCode(error);
        try {
            lastBraceError_ = braceErrorReason(error, text);
        } catch (const std::bad_alloc&) {
            lastBraceError_ = messages::OutOfMemory;  // short enough to need no heap
        }
        return false;
    }
    return true;
}

}  // namespace tarvik::xml
