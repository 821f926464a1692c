#include "platform/WindowsConfigFiles.h"

#include "framework/TextConversion.h"
#include "platform/ConfigFiles.h"

namespace velmora {

std::u16string WindowsConfigFiles::FolderPath() const {
    if (!folder_) folder_ = config::FolderPath();
    return *folder_;
}

bool WindowsConfigFiles::FileSize(const std::u16string& path, std::uint64_t& size) const {
    return config::FileSize(path, size);
}

textfile::ReadResult WindowsConfigFiles::ReadBytes(const std::u16string& path, std::uint64_t limit,
                                                   std::string& bytes) const {
    return config::ReadWholeFile(path, limit, bytes);
}

std::unique_ptr<textfile::ByteSource> WindowsConfigFiles::OpenBytes(const std::u16string& path) const {
    auto file = std::make_unique<config::FileReader>(path);
    if (!file->IsOpen()) return nullptr;
    return file;
}

bool WindowsConfigFiles::WriteBytes(const std::u16string& path, std::string_view bytes) const {
    return config::WriteWholeFile(path, bytes);
}

std::size_t WindowsConfigFiles::ToUtf16(std::string_view bytes, char16_t* out) const {
    // No ANSI code page gives more than one UTF-16 unit for a byte, so the
    // room of one unit per byte is always enough. Text longer than an int can
    // count is cut there; the readers' budget keeps files far below it.
    return FromCodePage(bytes, CP_THREAD_ACP, out, bytes.size());
}

}  // namespace velmora
