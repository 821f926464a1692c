#pragma once
// The template readers' files on Windows: the configuration folder under the
// user's application data, files read whole by their UTF-16 path, text
// converted with the thread locale's ANSI code page.
#include <string>

#include "templates/TemplateFileAccess.h"

namespace velmora {

class WindowsTemplateFiles final : public TemplateFileAccess {
public:
    std::u16string SetFilePath() const override;
    std::u16string FolderPath() const override;
    bool FileSize(const std::u16string& path, std::uint64_t& size) const override;
    textfile::ReadResult ReadBytes(const std::u16string& path, std::uint64_t limit, std::string& bytes) const override;
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override;

private:
    // The application-data folder, asked of the shell once per object: one
    // load asks for both paths, and the command builds one object per run.
    const std::wstring& AppData() const;

    mutable std::wstring appData_;
    mutable bool appDataKnown_ = false;
};

// wchar_t is the 16-bit UTF-16 unit on Windows: the two string types convert
// by reinterpreting the units.
inline std::u16string ToU16(const std::wstring& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace velmora
