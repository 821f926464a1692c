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
};

}  // namespace velmora
