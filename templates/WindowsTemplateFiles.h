#pragma once
// The template readers' files on Windows: the configuration folder under the
// user's application data, files opened by their UTF-16 path in the C
// runtime's text mode, lines converted with the thread locale's ANSI code page.
#include <string>

#include "templates/TemplateFileAccess.h"

namespace velmora {

class WindowsTemplateFiles final : public TemplateFileAccess {
public:
    std::u16string SetFilePath() const override;
    std::u16string FolderPath() const override;
    std::unique_ptr<std::istream> Open(const std::u16string& path) const override;
    void ToUtf16(std::string_view bytes, std::u16string& text) const override;
};

// wchar_t is the 16-bit UTF-16 unit on Windows: the two string types convert
// by reinterpreting the units.
inline std::u16string ToU16(const std::wstring& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring ToWide(const std::u16string& text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace velmora
