#pragma once
// How the template readers reach the configuration folder. The Windows build
// opens the real files by their UTF-16 path in the C runtime's text mode and
// converts with the thread's ANSI code page; tests and fuzzers hand in text
// from memory with a converter of their own.
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

class TemplateFileAccess {
public:
    virtual ~TemplateFileAccess() = default;

    // The full path of CodeSet.ini.
    virtual std::u16string SetFilePath() const = 0;
    // The template folder, with its trailing separator: a template file's
    // full path is this folder followed directly by its name in CodeSet.ini.
    virtual std::u16string FolderPath() const = 0;
    // Opens a file for reading as text: the stream yields the bytes as the
    // platform's text mode delivers them (a CR LF pair already reads as LF).
    // Null when the file cannot be opened.
    virtual std::unique_ptr<std::istream> Open(const std::u16string& path) const = 0;
    // Converts one line's 8-bit text (no line end, no zero byte) to UTF-16,
    // replacing the contents of `text`.
    virtual void ToUtf16(std::string_view bytes, std::u16string& text) const = 0;
};

}  // namespace velmora
