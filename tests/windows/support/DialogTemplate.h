#pragma once
// An extended dialog template (DLGTEMPLATEEX and its items) as a module's
// resources carry it, read field by field for the resource tests.
#include <windows.h>

#include <string>
#include <vector>

namespace velmora::test {

struct DialogItem {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    int id;
    WORD classAtom;  // 0 when the class is given by name
    std::wstring className;  // "#atom" for a predefined class
    std::wstring text;
    WORD extraBytes;
};

struct DialogTemplate {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    WORD itemCount;
    short x, y, cx, cy;
    std::wstring menu, windowClass, title;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<DialogItem> items;
    size_t trailingBytes;  // what the resource holds after the last item
};

// Reads the Japanese dialog `id` of `module`; false when it is missing or
// shorter than its own fields say.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& dialog);

}  // namespace velmora::test
