#pragma once
// The configuration folder on Windows: "Orinth\Velmora\" under the user's
// application data, files read and written by their UTF-16 path, text
// converted with the thread locale's ANSI code page.
#include <optional>
#include <string>

#include "textfile/ConfigFileAccess.h"

namespace velmora {

class WindowsConfigFiles final : public textfile::ConfigFileAccess {
public:
    std::u16string FolderPath() const override;
    bool FileSize(const std::u16string& path, std::uint64_t& size) const override;
    textfile::ReadResult ReadBytes(const std::u16string& path, std::uint64_t limit, std::string& bytes) const override;
    std::unique_ptr<textfile::ByteSource> OpenBytes(const std::u16string& path) const override;
    bool WriteBytes(const std::u16string& path, std::string_view bytes) const override;
    std::size_t ToUtf16(std::string_view bytes, char16_t* out) const override;

private:
    // The folder, from the shell's application-data folder asked once per
    // object: a command builds one object for its run.
    mutable std::optional<std::u16string> folder_;
};

}  // namespace velmora
