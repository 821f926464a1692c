// Dialog template 104 as the shipped DLL carries it, read field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/resource.h"
#include "support/HostFixture.h"
#include "support/TestEnvironment.h"

namespace velmora::test {
namespace {

// Reads a DLGTEMPLATEEX: fixed fields, then variable-length parts aligned as
// the format prescribes.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    BYTE Byte() { return Read<BYTE>(); }
    // A string, or an ordinal (0xFFFF then a number) written as "#number".
    std::wstring SzOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (WORD c = first; c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignDword() { offset_ = (offset_ + 3) & ~static_cast<DWORD>(3); }
    DWORD Offset() const { return offset_; }
    bool Overrun() const { return overrun_; }

private:
    template <typename T>
    T Read() {
        T value{};
        if (offset_ + sizeof(T) > size_) {
            overrun_ = true;
            return value;
        }
        std::memcpy(&value, data_ + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    const BYTE* data_;
    DWORD size_;
    DWORD offset_ = 0;
    bool overrun_ = false;
};

void ExpectPickerTemplate(HMODULE module) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDD_TEMPLATE_PICKER), MAKEINTRESOURCEW(5));  // RT_DIALOG
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(module, found);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(data, nullptr);
    TemplateReader in(data, size);

    EXPECT_EQ(in.Word(), 1);       // dlgVer
    EXPECT_EQ(in.Word(), 0xFFFF);  // signature: extended template
    EXPECT_EQ(in.Dword(), 0u);     // helpID
    EXPECT_EQ(in.Dword(), 0u);     // exStyle
    EXPECT_EQ(in.Dword(), 0x80800840u);
    EXPECT_EQ(in.Word(), 1);  // one control
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 208);
    EXPECT_EQ(in.Short(), 96);
    EXPECT_EQ(in.SzOrOrdinal(), L"");  // no menu
    EXPECT_EQ(in.SzOrOrdinal(), L"");  // no class
    EXPECT_EQ(in.SzOrOrdinal(), L"");  // no caption
    EXPECT_EQ(in.Word(), 11);          // points
    EXPECT_EQ(in.Word(), 400);         // weight
    EXPECT_EQ(in.Byte(), 0);           // not italic
    EXPECT_EQ(in.Byte(), 128);         // SHIFTJIS_CHARSET
    EXPECT_EQ(in.SzOrOrdinal(), L"ＭＳ ゴシック");

    in.AlignDword();
    EXPECT_EQ(in.Dword(), 0u);  // helpID
    EXPECT_EQ(in.Dword(), 0u);  // exStyle
    EXPECT_EQ(in.Dword(), 0x50310103u);
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 0);
    EXPECT_EQ(in.Short(), 208);
    EXPECT_EQ(in.Short(), 96);
    EXPECT_EQ(in.Dword(), static_cast<DWORD>(IDC_TEMPLATE_LIST));
    EXPECT_EQ(in.SzOrOrdinal(), L"#131");  // the predefined list box class
    EXPECT_EQ(in.SzOrOrdinal(), L"");      // no text
    EXPECT_EQ(in.Word(), 0);               // no creation data
    EXPECT_FALSE(in.Overrun());
    EXPECT_LE(size - in.Offset(), 3u) << "nothing but padding after the one control";
}

TEST(PickerTemplate, ShippedDllCarriesItExactly) {
    HMODULE dll = LoadLibraryExW(BuiltDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr) << Narrow(BuiltDllPath());
    ExpectPickerTemplate(dll);
    FreeLibrary(dll);
}

TEST(PickerTemplate, TestProgramResourcesMatch) { ExpectPickerTemplate(GetModuleHandleW(nullptr)); }

}  // namespace
}  // namespace velmora::test
