#pragma once
// How the add-in reaches its configuration folder: the template files and
// GuidSet.ini alike. The Windows build reads and writes the real files by
// their UTF-16 path and converts with the thread's ANSI code page; tests and
// fuzzers hand in bytes from memory with a converter of their own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "textfile/ByteSource.h"
#include "textfile/TextDecoding.h"

namespace velmora::textfile {

class ConfigFileAccess : public CodePage {
public:
    // The configuration folder, with its trailing separator: a file's full
    // path is this folder followed directly by its name.
    virtual std::u16string FolderPath() const = 0;
    std::u16string FilePath(std::u16string_view name) const { return FolderPath().append(name); }
    // The size of a file in bytes, from the file system alone; false when
    // there is no such file.
    virtual bool FileSize(const std::u16string& path, std::uint64_t& size) const = 0;
    // The file's raw bytes, all of them, replacing `bytes`; none when the
    // file holds more than `limit`.
    virtual ReadResult ReadBytes(const std::u16string& path, std::uint64_t limit, std::string& bytes) const = 0;
    // The file's bytes from the front, read as they are asked for; null when
    // it does not open. Reads the whole file through ReadBytes unless the
    // folder can do better.
    virtual std::unique_ptr<ByteSource> OpenBytes(const std::u16string& path) const;
    // Creates the file or cuts it to nothing, then writes `bytes`. True only
    // when every byte reached the file and it closed cleanly.
    virtual bool WriteBytes(const std::u16string& path, std::string_view bytes) const = 0;
};

// A configuration file's text, decoded and with the text-mode rules applied,
// replacing `text`; nothing is kept from a file of more than `limit` bytes.
ReadResult ReadConfigText(const ConfigFileAccess& files, const std::u16string& path, std::uint64_t limit,
                          std::u16string& text);

}  // namespace velmora::textfile
