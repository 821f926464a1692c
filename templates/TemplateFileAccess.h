#pragma once
// How the template readers reach the configuration folder. The Windows build
// reads the real files by their UTF-16 path and converts with the thread's
// ANSI code page; tests and fuzzers hand in bytes from memory with a
// converter of their own.
#include <cstdint>
#include <string>

#include "textfile/ByteSource.h"
#include "textfile/TextDecoding.h"

namespace velmora {

class TemplateFileAccess : public textfile::CodePage {
public:
    // The full path of CodeSet.ini.
    virtual std::u16string SetFilePath() const = 0;
    // The template folder, with its trailing separator: a template file's
    // full path is this folder followed directly by its name in CodeSet.ini.
    virtual std::u16string FolderPath() const = 0;
    // The size of a file in bytes, from the file system alone; false when
    // there is no such file.
    virtual bool FileSize(const std::u16string& path, std::uint64_t& size) const = 0;
    // The file's raw bytes, all of them, replacing `bytes`; none when the
    // file holds more than `limit`.
    virtual textfile::ReadResult ReadBytes(const std::u16string& path, std::uint64_t limit,
                                           std::string& bytes) const = 0;
};

// A configuration file's text, decoded and with the text-mode rules applied,
// replacing `text`; nothing is kept from a file of more than `limit` bytes.
textfile::ReadResult ReadConfigText(const TemplateFileAccess& files, const std::u16string& path, std::uint64_t limit,
                                    std::u16string& text);

}  // namespace velmora
