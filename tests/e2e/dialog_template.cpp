#include "dialog_template.h"

#include <cstring>

namespace {

// The second word of an extended template.
constexpr uint16_t ExtendedSignature = 0xFFFF;
// The first word of an ordinal in a name-or-ordinal field.
constexpr uint16_t OrdinalMarker = 0xFFFF;

// Reads the template front to back. Layout:
//   header: dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy,
//           menu, class, title (name-or-ordinal, name-or-ordinal, string),
//           then with DS_SETFONT: pointsize, weight, italic, charset, typeface;
//   each control, DWORD-aligned: helpID, exStyle, style, x, y, cx, cy, id,
//           class, title (name-or-ordinal each), extra count and bytes.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : begin_(data), at_(data), end_(data + size) {}

    template <typename T>
    T read() {
        T value{};
        if (at_ + sizeof(T) <= end_)
            std::memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }

    std::wstring string() {
        std::wstring text;
        for (wchar_t c = static_cast<wchar_t>(read<uint16_t>()); c != 0 && ok();
             c = static_cast<wchar_t>(read<uint16_t>()))
            text += c;
        return text;
    }

    // A name-or-ordinal field: the ordinal goes to `ordinal`, a name is returned.
    std::wstring nameOrOrdinal(uint16_t& ordinal) {
        const uint16_t first = read<uint16_t>();
        if (first == 0)
            return std::wstring();
        if (first == OrdinalMarker) {
            ordinal = read<uint16_t>();
            return std::wstring();
        }
        return std::wstring(1, static_cast<wchar_t>(first)) + string();
    }

    void alignToDword() {
        while ((at_ - begin_) % sizeof(DWORD) != 0)
            ++at_;
    }

    void skip(size_t bytes) { at_ += bytes; }
    bool ok() const { return at_ <= end_; }

private:
    const uint8_t* begin_;
    const uint8_t* at_;
    const uint8_t* end_;
};

DialogControl readControl(Reader& reader) {
    reader.alignToDword();
    DialogControl control;
    reader.read<DWORD>();  // helpID
    reader.read<DWORD>();  // exStyle
    control.style = reader.read<DWORD>();
    control.x = reader.read<short>();
    control.y = reader.read<short>();
    control.cx = reader.read<short>();
    control.cy = reader.read<short>();
    control.id = reader.read<DWORD>();
    control.className = reader.nameOrOrdinal(control.classOrdinal);
    uint16_t textOrdinal = 0;
    control.text = reader.nameOrOrdinal(textOrdinal);
    reader.skip(reader.read<uint16_t>());  // creation data
    return control;
}

}  // namespace

bool readDialogTemplate(HMODULE module, int id, DialogTemplate& dialog) {
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!resource)
        return false;
    const HGLOBAL loaded = LoadResource(module, resource);
    Reader reader(static_cast<const uint8_t*>(LockResource(loaded)),
                  SizeofResource(module, resource));
    reader.read<uint16_t>();  // dlgVer
    if (reader.read<uint16_t>() != ExtendedSignature)
        return false;
    reader.read<DWORD>();  // helpID
    reader.read<DWORD>();  // exStyle
    dialog.style = reader.read<DWORD>();
    const uint16_t count = reader.read<uint16_t>();
    dialog.x = reader.read<short>();
    dialog.y = reader.read<short>();
    dialog.cx = reader.read<short>();
    dialog.cy = reader.read<short>();
    uint16_t ordinal = 0;
    reader.nameOrOrdinal(ordinal);  // menu
    reader.nameOrOrdinal(ordinal);  // class
    dialog.caption = reader.string();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.read<uint16_t>();
        reader.read<uint16_t>();  // weight
        reader.read<uint8_t>();   // italic
        reader.read<uint8_t>();   // charset
        dialog.font = reader.string();
    }
    for (uint16_t index = 0; index < count && reader.ok(); ++index)
        dialog.controls.push_back(readControl(reader));
    return reader.ok();
}
