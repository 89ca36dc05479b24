#include <cstring>

#include "xml/document.h"

namespace tarvik::xml {

namespace {

void writeInt32(std::ostream& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
                           static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
    out.write(bytes, 4);
}

int32_t readInt32(std::istream& in) {
    unsigned char bytes[4] = {};
    in.read(reinterpret_cast<char*>(bytes), 4);
    return static_cast<int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                (static_cast<uint32_t>(bytes[3]) << 24));
}

void writeString(std::ostream& out, const std::string& text) {
    writeInt32(out, static_cast<int32_t>(text.size()));
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::string readString(std::istream& in) {
    const int32_t length = readInt32(in);
    std::string text;
    if (length > 0 && in) {
        text.resize(static_cast<size_t>(length));
        in.read(&text[0], length);
        text.resize(static_cast<size_t>(in.gcount()));
    }
    return text;
}

void lineBreak(std::ostream& out) {
    out << '\n' << std::flush;
}

void tabs(std::ostream& out, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        out << '\t';
}

}  // namespace

std::ostream& XMLElement::print(std::ostream& out, int32_t depth) const {
    out << '<' << name.c_str();
    for (const XMLAttribute& attribute : attributes)
        out << ' ' << attribute.name.c_str() << "=\"" << attribute.value.c_str() << '"';
    out << '>';
    const char bracket = static_cast<char>(dataBracket & 0xFF);
    if (dataBracket != 0)
        out << "[[data" << bracket;
    out << text.c_str();
    if (dataBracket != 0)
        out << bracket << "data]]";
    if (!children.empty()) {
        if (text.empty())
            lineBreak(out);
        for (const auto& child : children) {
            if (text.empty() && depth >= 0)
                tabs(out, depth + 1);
            child->print(out, depth + 1);
            lineBreak(out);
        }
        tabs(out, depth);
    }
    return out << "</" << name.c_str() << '>';
}

std::ostream& XMLCData::print(std::ostream& out, int32_t depth) const {
    tabs(out, depth);
    out << "<![CDATA[" << text.c_str() << "]]>";
    lineBreak(out);
    return out;
}

std::ostream& XMLElement::writeTypeTag(std::ostream& out) const {
    writeInt32(out, 1);
    return out;
}

std::ostream& XMLCData::writeTypeTag(std::ostream& out) const {
    writeInt32(out, 2);
    return out;
}

void XMLElement::writeBinary(std::ostream& out) const {
    writeTypeTag(out);
    writeString(out, name);
    writeInt32(out, dataBracket);
    writeString(out, text);
    writeInt32(out, static_cast<int32_t>(attributes.size()));
    for (const XMLAttribute& attribute : attributes) {
        writeString(out, attribute.name);
        writeString(out, attribute.value);
    }
    writeInt32(out, static_cast<int32_t>(children.size()));
    for (const auto& child : children)
        child->writeBinary(out);
}

void XMLElement::readBinary(std::istream& in) {
    name = readString(in);
    dataBracket = readInt32(in);
    text = readString(in);
    const int32_t count = in ? readInt32(in) : 0;
    for (int32_t i = 0; i < count && in; ++i) {
        std::string attributeName = readString(in);
        std::string attributeValue = readString(in);
        attributes.emplace_back(std::move(attributeName), std::move(attributeValue));
    }
}

}  // namespace tarvik::xml
