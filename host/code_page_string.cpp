#include "host/code_page_string.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace {

#ifdef _WIN32

// Ask for the length (terminator included), convert into a zero-filled buffer
// one unit larger, and keep what stands before the first NUL.
std::wstring toWide(const char* text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, buffer.data(), length);
    return std::wstring(buffer.data());
}

std::string fromWide(const wchar_t* text, UINT codePage) {
    const int length = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    WideCharToMultiByte(codePage, 0, text, -1, buffer.data(), length, nullptr, nullptr);
    return std::string(buffer.data());
}

#else

// Converts `size` bytes from one iconv encoding to another. Input that cannot
// be converted is replaced by `replacement` (already in the target encoding),
// one input unit at a time, so nothing stops the conversion half-way.
std::string convert(const char* toCode, const char* fromCode, const char* input, size_t size,
                    size_t unit, const std::string& replacement) {
    iconv_t cd = iconv_open(toCode, fromCode);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string();
    std::string output;
    char buffer[1024];
    char* in = const_cast<char*>(input);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: one unit that has no counterpart, or a truncated sequence.
        output += replacement;
        const size_t skip = inLeft < unit ? inLeft : unit;
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return output;
}

std::wstring toWide(const char* text, const char* fromCode) {
    const std::string bytes =
        convert("WCHAR_T", fromCode, text, std::char_traits<char>::length(text), 1,
                std::string(reinterpret_cast<const char*>(L"?"), sizeof(wchar_t)));
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char*>(&wide[0]), wide.size() * sizeof(wchar_t));
    return std::wstring(wide.c_str());  // a converted NUL never comes from a NUL-terminated input
}

std::string fromWide(const wchar_t* text, const char* toCode) {
    const size_t length = std::char_traits<wchar_t>::length(text);
    return convert(toCode, "WCHAR_T", reinterpret_cast<const char*>(text), length * sizeof(wchar_t),
                   sizeof(wchar_t), "?");
}

#endif

#ifdef _WIN32
constexpr UINT Gb2312 = NarrowCodePage;
constexpr UINT Utf8 = CP_UTF8;
#else
constexpr const char* Gb2312 = "CP936";
constexpr const char* Utf8 = "UTF-8";
#endif

}  // namespace

// A wide string paired with its code-page-936 form, converted on request.
// Nothing but the conversion itself ever changes a character. Bytes or
// characters that have no counterpart become the code page's default
// character ("?") rather than being dropped. Off Windows the conversion is
// iconv's CP936 (wchar_t is UTF-32 there).
CodePageString::CodePageString(const wchar_t* text) : wide(text ? text : L"") {}

CodePageString::CodePageString(const char* text)
    : wide(text ? toWide(text, Gb2312) : std::wstring()) {}

void CodePageString::toNarrow() {
    narrow = fromWide(wide.c_str(), Gb2312);
}

std::string wideToUtf8(const std::wstring& text) {
    return fromWide(text.c_str(), Utf8);
}

// The conversions take a zero byte for the text's end, so the text is
// converted run by run between its zero bytes, each kept: it is the same
// byte in GB2312 and UTF-8.
std::string narrowToUtf8(const std::string& gb2312) {
    std::string utf8;
    std::size_t start = 0;
    for (;;) {
        const std::size_t zero = gb2312.find('\0', start);
        utf8 += wideToUtf8(toWide(gb2312.substr(start, zero - start).c_str(), Gb2312));
        if (zero == std::string::npos)
            return utf8;
        utf8 += '\0';
        start = zero + 1;
    }
}

std::string utf8ToNarrow(const std::string& utf8) {
    return fromWide(toWide(utf8.c_str(), Utf8).c_str(), Gb2312);
}
