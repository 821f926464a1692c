#include "support/DialogTemplate.h"

#include <cstring>

namespace velmora::test {

namespace {

class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
    template <typename T>
    T Read() {
        T value{};
        if (offset_ + sizeof value <= size_) std::memcpy(&value, data_ + offset_, sizeof value);
        offset_ += sizeof value;
        return value;
    }
    // A string or an 0xFFFF ordinal, written "#ordinal"; the ordinal goes to `atom`.
    std::wstring ReadText(WORD* atom = nullptr) {
        if (atom) *atom = 0;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            WORD ordinal = Read<WORD>();
            if (atom) *atom = ordinal;
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring text;
        for (WORD unit = first; unit != 0 && !Overran(); unit = Read<WORD>()) text += static_cast<wchar_t>(unit);
        return text;
    }
    void AlignTo4() { offset_ = (offset_ + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { offset_ += bytes; }
    bool Overran() const { return offset_ > size_; }
    size_t Left() const { return Overran() ? 0 : size_ - offset_; }

private:
    const BYTE* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace

bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& dialog) {
    dialog = DialogTemplate{};
    HRSRC found = FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(id), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    if (!found) return false;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (!data) return false;
    TemplateReader reader(data, SizeofResource(module, found));
    dialog.version = reader.Read<WORD>();
    dialog.signature = reader.Read<WORD>();
    dialog.helpId = reader.Read<DWORD>();
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    dialog.itemCount = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    dialog.menu = reader.ReadText();
    dialog.windowClass = reader.ReadText();
    dialog.title = reader.ReadText();
    dialog.pointSize = reader.Read<WORD>();
    dialog.weight = reader.Read<WORD>();
    dialog.italic = reader.Read<BYTE>();
    dialog.charset = reader.Read<BYTE>();
    dialog.face = reader.ReadText();
    for (WORD index = 0; index < dialog.itemCount && !reader.Overran(); ++index) {
        reader.AlignTo4();
        DialogItem item;
        item.helpId = reader.Read<DWORD>();
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = static_cast<int>(reader.Read<DWORD>());
        item.className = reader.ReadText(&item.classAtom);
        item.text = reader.ReadText();
        item.extraBytes = reader.Read<WORD>();
        reader.Skip(item.extraBytes);
        dialog.items.push_back(item);
    }
    dialog.trailingBytes = reader.Left();
    return !reader.Overran();
}

}  // namespace velmora::test
