// Dialog template 105 as compiled into the resources: a caption-less pop-up
// with a thin border holding one tree view without lines or buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Module.h"
#include "resources/resource.h"

namespace velmora::test {
namespace {

// Reads an extended dialog template field by field.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
    template <typename T>
    T Read() {
        T value{};
        if (offset_ + sizeof(T) <= size_) std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    // A string, or an ordinal (0xFFFF followed by a number) shown as "#n".
    std::wstring ReadText() {
        WORD first = Read<WORD>();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Read<WORD>());
        std::wstring text;
        for (WORD unit = first; unit != 0 && offset_ <= size_; unit = Read<WORD>()) text += static_cast<wchar_t>(unit);
        return text;
    }
    void AlignTo(std::size_t boundary) { offset_ = (offset_ + boundary - 1) / boundary * boundary; }
    bool Overran() const { return offset_ > size_; }

private:
    const BYTE* data_;
    DWORD size_;
    std::size_t offset_ = 0;
};

TEST(SpecialFolderPickerTemplate, IsTheCaptionlessTreePopup) {
    HMODULE module = ModuleInstance();
    HRSRC resource = FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */,
                                     MAKEINTRESOURCEW(IDD_SPECIAL_FOLDER_PICKER), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(resource, nullptr) << "no Japanese dialog 105";
    HGLOBAL loaded = LoadResource(module, resource);
    ASSERT_NE(loaded, nullptr);
    TemplateReader reader(static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, resource));

    EXPECT_EQ(reader.Read<WORD>(), 1) << "not an extended template";
    EXPECT_EQ(reader.Read<WORD>(), 0xFFFF);
    reader.Read<DWORD>();  // help id
    EXPECT_EQ(reader.Read<DWORD>(), 0u) << "extended style";
    EXPECT_EQ(reader.Read<DWORD>(), 0x80800840u) << "WS_POPUP | WS_BORDER | DS_CENTER | DS_SETFONT";
    EXPECT_EQ(reader.Read<WORD>(), 1) << "control count";
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 184);
    EXPECT_EQ(reader.Read<short>(), 288);
    EXPECT_EQ(reader.ReadText(), L"") << "menu";
    EXPECT_EQ(reader.ReadText(), L"") << "class";
    EXPECT_EQ(reader.ReadText(), L"") << "caption";
    EXPECT_EQ(reader.Read<WORD>(), 9) << "point size";
    EXPECT_EQ(reader.Read<WORD>(), 400) << "weight";
    EXPECT_EQ(reader.Read<BYTE>(), 0) << "italic";
    EXPECT_EQ(reader.Read<BYTE>(), 128) << "Shift-JIS character set";
    EXPECT_EQ(reader.ReadText(), L"ＭＳ Ｐゴシック");

    reader.AlignTo(4);
    reader.Read<DWORD>();  // help id
    EXPECT_EQ(reader.Read<DWORD>(), 0u) << "control extended style";
    EXPECT_EQ(reader.Read<DWORD>(), 0x50010000u) << "WS_CHILD | WS_VISIBLE | WS_TABSTOP and no tree-view styles";
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 184);
    EXPECT_EQ(reader.Read<short>(), 288);
    EXPECT_EQ(reader.Read<DWORD>(), static_cast<DWORD>(IDC_FOLDER_TREE));
    EXPECT_EQ(IDC_FOLDER_TREE, 201);
    // The resource compiler may store the class name in capitals; window
    // class names are compared without regard to case.
    EXPECT_EQ(_wcsicmp(reader.ReadText().c_str(), L"SysTreeView32"), 0);
    EXPECT_EQ(reader.ReadText(), L"") << "control text";
    EXPECT_EQ(reader.Read<WORD>(), 0) << "creation data";
    EXPECT_FALSE(reader.Overran());
}

}  // namespace
}  // namespace velmora::test
