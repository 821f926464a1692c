#pragma once
// The template readers' files on Windows: the configuration folder under the
// user's application data, files read whole by their UTF-16 path, text
// converted with the thread locale's ANSI code page.
#include <optional>
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
    const std::u16string& AppData() const;

    mutable std::optional<std::u16string> appData_;
};

}  // namespace velmora
