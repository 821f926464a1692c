#pragma once
// Standard output and standard error of the console program. In a console
// the text goes through WriteConsoleW, so it shows whatever the console's
// code page; redirected to a file or a pipe it is written as UTF-8.
#include <windows.h>

#include <string>
#include <string_view>

namespace velmora::checker {

class ConsoleOutput {
public:
    // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE.
    explicit ConsoleOutput(DWORD standardHandle);

    // Writes `text` and a line end (CR LF in a file, as Windows text files have).
    void Line(std::u16string_view text = {});

private:
    void Write(std::wstring_view text);

    HANDLE handle_;
    bool console_;
};

}  // namespace velmora::checker
