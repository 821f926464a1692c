#include "templates/WindowsTemplateFiles.h"

#include <windows.h>

#include <climits>

#include "platform/ConfigFiles.h"

namespace velmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

const std::wstring& WindowsTemplateFiles::AppData() const {
    if (!appDataKnown_) {
        appData_ = config::AppDataFolder();
        appDataKnown_ = true;
    }
    return appData_;
}

std::u16string WindowsTemplateFiles::SetFilePath() const {
    return ToU16(config::FilePath(AppData(), L"CodeSet.ini"));
}

std::u16string WindowsTemplateFiles::FolderPath() const { return ToU16(config::FolderPath(AppData())); }

bool WindowsTemplateFiles::FileSize(const std::u16string& path, std::uint64_t& size) const {
    return config::FileSize(ToWide(path), size);
}

textfile::ReadResult WindowsTemplateFiles::ReadBytes(const std::u16string& path, std::uint64_t limit,
                                                     std::string& bytes) const {
    return config::ReadWholeFile(ToWide(path), limit, bytes);
}

std::size_t WindowsTemplateFiles::ToUtf16(std::string_view bytes, char16_t* out) const {
    // Text longer than an int can count is cut there; the readers' budget
    // keeps files far below it. No ANSI code page gives more than one UTF-16
    // unit for a byte, so the room given is always enough.
    const int length = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
    if (length == 0) return 0;
    const int units =
        MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out), length);
    return units > 0 ? static_cast<std::size_t>(units) : 0;
}

}  // namespace velmora
