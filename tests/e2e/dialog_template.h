// Reads an extended dialog template (DLGTEMPLATEEX) from a module's
// resources, so the tests can check the About box as it was compiled.
#ifndef ZINDLE_TESTS_E2E_DIALOG_TEMPLATE_H
#define ZINDLE_TESTS_E2E_DIALOG_TEMPLATE_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One control of a dialog template. A class or text given as an ordinal
// (such as 0x0080 for buttons) is kept in `classOrdinal`.
struct DialogControl {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    uint16_t classOrdinal = 0;
    std::wstring className;
    std::wstring text;
};

// A dialog template; sizes are in dialog units.
struct DialogTemplate {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    uint16_t pointSize = 0;
    std::wstring font;
    std::vector<DialogControl> controls;
};

// Class ordinals of the predefined control classes used here.
constexpr uint16_t ButtonClassOrdinal = 0x0080;
constexpr uint16_t StaticClassOrdinal = 0x0082;

// Loads and parses dialog `id` from `module`; false when it is missing or not
// an extended template.
bool readDialogTemplate(HMODULE module, int id, DialogTemplate& dialog);

#endif  // ZINDLE_TESTS_E2E_DIALOG_TEMPLATE_H
