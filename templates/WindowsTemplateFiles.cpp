#include "templates/WindowsTemplateFiles.h"

#include <windows.h>

#include <climits>
#include <fstream>

#include "platform/ConfigFiles.h"

namespace velmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

std::u16string WindowsTemplateFiles::SetFilePath() const { return ToU16(config::FilePath(L"CodeSet.ini")); }

std::u16string WindowsTemplateFiles::FolderPath() const { return ToU16(config::FolderPath()); }

std::unique_ptr<std::istream> WindowsTemplateFiles::Open(const std::u16string& path) const {
    auto in = std::make_unique<std::ifstream>(config::OpenForReading(ToWide(path)));
    if (!in->is_open()) return nullptr;
    return in;
}

void WindowsTemplateFiles::ToUtf16(std::string_view bytes, std::u16string& text) const {
    // A line longer than an int can count is cut there.
    const int length = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
    if (length == 0) {
        text.clear();
        return;
    }
    // One byte never gives more than one UTF-16 unit in an ANSI code page.
    text.resize(static_cast<std::size_t>(length));
    int units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(&text[0]),
                                    length);
    if (units == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
        text.resize(static_cast<std::size_t>(units));
        units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(&text[0]),
                                    units);
    }
    text.resize(static_cast<std::size_t>(units > 0 ? units : 0));
}

}  // namespace velmora
