#pragma once
// The add-in's configuration folder, "Orinth\Velmora\" under the user's
// application-data folder, and the files in it. Files are opened by their
// UTF-16 path, so a path with characters outside the ANSI code page still
// names the right file, and are shared with other readers and writers as the
// C runtime shares them. Their bytes are handed over raw: the text rules
// belong to the portable readers (textfile/). Paths are UTF-16 as the
// portable code keeps them (framework/TextConversion.h).
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/UniqueHandle.h"
#include "textfile/ByteSource.h"

namespace velmora::config {

// "<application data>\Orinth\Velmora\", with its trailing backslash, joined by
// the shell's path rule. When the shell cannot name the application-data
// folder the relative path is used. The shell's lookup is not free (it reads
// the registry): a command asks once (WindowsConfigFiles).
std::u16string FolderPath();

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
using UniqueFile = UniqueHandle<FileHandleTraits>;

// A file opened for reading, its bytes from the start. A folder does not open.
class FileReader final : public textfile::ByteSource {
public:
    explicit FileReader(const std::u16string& path);
    bool IsOpen() const { return static_cast<bool>(file_); }
    // The size now; false when it cannot be told.
    bool Size(std::uint64_t& size) const;
    std::size_t Read(char* buffer, std::size_t capacity) override;

private:
    UniqueFile file_;
};

// The size of a file (not a folder) in bytes, without opening it.
bool FileSize(const std::u16string& path, std::uint64_t& size);

// All of a file's bytes into `bytes`, unless it holds more than `limit`: the
// size is asked first, so a file over the limit is not read at all.
textfile::ReadResult ReadWholeFile(const std::u16string& path, std::uint64_t limit, std::string& bytes);

// Creates the file or cuts it to nothing, then writes `bytes`. True only when
// it opened, took every byte and closed cleanly.
bool WriteWholeFile(const std::u16string& path, std::string_view bytes);

}  // namespace velmora::config
