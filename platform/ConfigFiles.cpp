#include "platform/ConfigFiles.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "framework/TextConversion.h"

namespace velmora::config {

namespace {
const char16_t kFolder[] = u"Orinth\\Velmora\\";

// The most one ReadFile or WriteFile call is asked to move.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

}  // namespace

std::u16string FolderPath() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE);
    std::u16string folder = PathAppendW(path, AsWide(kFolder)) ? AsU16(path) : kFolder;
    if (folder.empty() || folder.back() != u'\\') folder += u'\\';
    return folder;
}

FileReader::FileReader(const std::u16string& path)
    : file_(CreateFileW(AsWide(path.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}

bool FileReader::Size(std::uint64_t& size) const {
    LARGE_INTEGER value;
    if (!file_ || !GetFileSizeEx(file_.get(), &value) || value.QuadPart < 0) return false;
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
}

std::size_t FileReader::Read(char* buffer, std::size_t capacity) {
    DWORD read = 0;
    if (!file_ || !::ReadFile(file_.get(), buffer, static_cast<DWORD>(std::min(capacity, kMaxTransfer)), &read,
                              nullptr)) {
        return 0;
    }
    return read;
}

bool FileSize(const std::u16string& path, std::uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(path.c_str()), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

textfile::ReadResult ReadWholeFile(const std::u16string& path, std::uint64_t limit, std::string& bytes) {
    FileReader file(path);
    if (!file.IsOpen()) return textfile::ReadResult::CannotOpen;
    std::uint64_t size = 0;
    if (!file.Size(size)) return textfile::ReadResult::CannotOpen;
    if (size > limit) return textfile::ReadResult::TooLarge;

    // One byte more than the size tells a file that grew since; it is read
    // on to its end, within the limit.
    std::string read(static_cast<std::size_t>(size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        const std::size_t got = file.Read(&read[filled], read.size() - filled);
        if (got == 0) break;
        filled += got;
        if (filled == read.size()) {
            if (filled > limit) return textfile::ReadResult::TooLarge;
            read.resize(static_cast<std::size_t>(std::min<std::uint64_t>(limit + 1, 2 * std::uint64_t{filled})));
        }
    }
    if (filled > limit) return textfile::ReadResult::TooLarge;
    read.resize(filled);
    bytes.swap(read);
    return textfile::ReadResult::Read;
}

bool WriteWholeFile(const std::u16string& path, std::string_view bytes) {
    UniqueFile file(CreateFileW(AsWide(path.c_str()), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool written = true;
    while (written && !bytes.empty()) {
        DWORD done = 0;
        written = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer)),
                              &done, nullptr) &&
                  done > 0;
        bytes.remove_prefix(std::min<std::size_t>(done, bytes.size()));
    }
    return CloseHandle(file.release()) && written;
}

}  // namespace velmora::config
