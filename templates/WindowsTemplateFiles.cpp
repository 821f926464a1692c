#include "templates/WindowsTemplateFiles.h"

#include "platform/ConfigFiles.h"
#include "platform/TextConversion.h"

namespace velmora {

const std::u16string& WindowsTemplateFiles::AppData() const {
    if (!appData_) appData_ = config::AppDataFolder();
    return *appData_;
}

std::u16string WindowsTemplateFiles::SetFilePath() const { return config::FilePath(AppData(), u"CodeSet.ini"); }

std::u16string WindowsTemplateFiles::FolderPath() const { return config::FolderPath(AppData()); }

bool WindowsTemplateFiles::FileSize(const std::u16string& path, std::uint64_t& size) const {
    return config::FileSize(path, size);
}

textfile::ReadResult WindowsTemplateFiles::ReadBytes(const std::u16string& path, std::uint64_t limit,
                                                     std::string& bytes) const {
    return config::ReadWholeFile(path, limit, bytes);
}

std::size_t WindowsTemplateFiles::ToUtf16(std::string_view bytes, char16_t* out) const {
    // No ANSI code page gives more than one UTF-16 unit for a byte, so the
    // room of one unit per byte is always enough. Text longer than an int can
    // count is cut there; the readers' budget keeps files far below it.
    return FromCodePage(bytes, CP_THREAD_ACP, out, bytes.size());
}

}  // namespace velmora
