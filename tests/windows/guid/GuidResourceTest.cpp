// The GUID tools' resources as windres compiled them: the string table
// against the portable table the native tests check, and dialog template 106
// field by field, both in the test program and in the built DLL.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Module.h"
#include "framework/TextConversion.h"
#include "guid/GuidFormat.h"
#include "guid/GuidMaker.h"
#include "resources/resource.h"
#include "support/DialogTemplate.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

// The built DLL loaded for its resources only.
class DllResources {
public:
    DllResources()
        : module_(LoadLibraryExW(BuiltDllPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~DllResources() {
        if (module_) FreeLibrary(module_);
    }
    DllResources(const DllResources&) = delete;
    DllResources& operator=(const DllResources&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// String `id` straight from the resource block, so that a missing entry and
// an empty one are told apart.
bool ResourceString(HMODULE module, UINT id, std::wstring& text) {
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), kJapanese);
    if (!found) return false;
    const auto* units = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    if (!units) return false;
    for (UINT index = 0; index < id % 16; ++index) units += 1 + *units;
    if (*units == 0) return false;
    text.assign(reinterpret_cast<const wchar_t*>(units + 1), *units);
    return true;
}

void ExpectPortableStringTable(HMODULE module) {
    for (UINT id = 100; id <= 105; ++id) {
        SCOPED_TRACE(id);
        std::wstring text;
        ASSERT_TRUE(ResourceString(module, id, text));
        EXPECT_EQ(Narrow(text), Narrow(AsWide(guid::StringTableText(static_cast<int>(id)))));
    }
}

TEST(GuidResources, StringTableEqualsThePortableTable) {
    ExpectPortableStringTable(ModuleInstance());
    DllResources dll;
    ASSERT_NE(dll.Get(), nullptr) << Narrow(BuiltDllPath());
    ExpectPortableStringTable(dll.Get());
}

TEST(GuidResources, TemplateLoaderGivesTheFiveFormats) {
    wchar_t text[kGuidTextCapacity];
    for (int format = 0; format < guid::kFormatCount; ++format) {
        SCOPED_TRACE(format);
        const std::wstring expected = AsWide(guid::FormatTemplate(format));
        EXPECT_EQ(guid::LoadGuidTemplate(format, text), static_cast<int>(expected.size()));
        EXPECT_EQ(Narrow(text), Narrow(expected));
        // "\r\n" in the resource script must arrive as the two control characters.
        EXPECT_EQ(std::wstring(text).find(L'\\'), std::wstring::npos);
    }
    // The last format has no line end; the registry form ends with one.
    EXPECT_EQ(std::wstring(text).find(L"\r\n"), std::wstring::npos);
    ASSERT_EQ(guid::LoadGuidTemplate(3, text), 53);
    EXPECT_EQ(std::wstring(text).substr(51), L"\r\n");
    // Only the five formats load: string 100 is no format.
    EXPECT_EQ(guid::LoadGuidTemplate(-1, text), 0);
    EXPECT_EQ(text[0], L'\0');
    EXPECT_EQ(guid::LoadGuidTemplate(5, text), 0);
}

// --- Dialog template 106 ---

void ExpectGuidDialogTemplate(HMODULE module) {
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(module, IDD_GUID_SELECT, dialog));
    EXPECT_EQ(dialog.version, 1);
    EXPECT_EQ(dialog.signature, 0xFFFF);  // extended template
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER |
                                               DS_SETFONT));
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 226);
    EXPECT_EQ(dialog.cy, 151);
    EXPECT_EQ(dialog.menu, L"");
    EXPECT_EQ(dialog.windowClass, L"");
    EXPECT_EQ(Narrow(dialog.title), "GUIDの選択と貼り付け");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, FW_NORMAL);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, SHIFTJIS_CHARSET);
    EXPECT_EQ(Narrow(dialog.face), "ＭＳ Ｐゴシック");

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const WORD button = 0x0080, staticText = 0x0082;
    struct Expected {
        int id;
        WORD atom;
        const char* text;
        short x, y, cx, cy;
        DWORD style;
    };
    const Expected expected[] = {
        {IDOK, button, "貼り付け", 172, 8, 50, 16, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
        {204, button, "&New GUID", 172, 32, 50, 16, BS_PUSHBUTTON | WS_TABSTOP},
        {IDCANCEL, button, "終了", 172, 56, 50, 16, BS_PUSHBUTTON | WS_TABSTOP},
        {-1, button, " GUIDの書式 ", 4, 4, 160, 80, BS_GROUPBOX},
        {205, button, "&1. IMPLEMENT_OLECREATE(...)", 9, 17, 151, 9, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
        {206, button, "&2. DEFINE_GUID(...)", 9, 30, 151, 9, BS_AUTORADIOBUTTON},
        {207, button, "&3. static const struct GUID = { ... }", 9, 43, 151, 9, BS_AUTORADIOBUTTON},
        {208, button, "&4. Registry Format (ie. {xxxxxxx-xxxx ... xxxx })", 9, 55, 151, 9, BS_AUTORADIOBUTTON},
        {209, button, "&5. Velmora Format (ie. xxxxxxx-xxxx ... xxxx )", 9, 68, 151, 9, BS_AUTORADIOBUTTON},
        {-1, button, " 結果 ", 4, 92, 216, 54, BS_GROUPBOX},
        {210, staticText, "", 9, 104, 207, 37, SS_LEFT | WS_GROUP},
    };
    ASSERT_EQ(dialog.items.size(), std::size(expected));
    for (size_t index = 0; index < std::size(expected); ++index) {
        SCOPED_TRACE(index);
        const DialogItem& item = dialog.items[index];
        const Expected& want = expected[index];
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.classAtom, want.atom);
        EXPECT_EQ(Narrow(item.text), want.text);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.style, want.style | child) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(item.extraBytes, 0);
    }
}

TEST(GuidResources, DialogTemplateIsExactlyTheGuidDialog) {
    ExpectGuidDialogTemplate(ModuleInstance());
    DllResources dll;
    ASSERT_NE(dll.Get(), nullptr);
    ExpectGuidDialogTemplate(dll.Get());
}

}  // namespace
}  // namespace velmora::test
