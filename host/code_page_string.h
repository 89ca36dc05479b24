// Text crossing between the wide (UTF-16) window and game-core side and the
// narrow GB2312 side of the markup library.
#ifndef ZINDLE_HOST_CODE_PAGE_STRING_H
#define ZINDLE_HOST_CODE_PAGE_STRING_H

#include <string>

// Code page of every narrow text in the launcher: GB2312 / GBK.
constexpr unsigned int NarrowCodePage = 936;

// A wide string paired with its code-page-936 form, converted on request; what
// has no counterpart becomes "?" (iconv's CP936 off Windows, where wchar_t is UTF-32).
class CodePageString {
public:
    std::wstring wide;
    std::string narrow;

    // Copies the wide text; `narrow` stays empty. Null gives an empty string.
    explicit CodePageString(const wchar_t* text);
    // Converts the GB2312 text into `wide`; `narrow` stays empty. Null gives an empty string.
    explicit CodePageString(const char* text);

    // Fills `narrow` from `wide`.
    void toNarrow();
};

// Converts wide text, up to its first NUL, to UTF-8: for a UTF-8 console or
// log (off Windows the debugger output and the message box are standard error).
std::string wideToUtf8(const std::wstring& text);
// Zero bytes pass through, and the text after them is converted too.
std::string narrowToUtf8(const std::string& gb2312);
// Converts UTF-8 text (from a console or a file) to GB2312. Characters that
// GB2312 lacks, and bytes that are not UTF-8, become "?". The text ends at its
// first zero byte.
std::string utf8ToNarrow(const std::string& utf8);

#endif  // ZINDLE_HOST_CODE_PAGE_STRING_H
