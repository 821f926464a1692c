#include "checker/ConsoleOutput.h"

#include <climits>

namespace velmora::checker {

ConsoleOutput::ConsoleOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void ConsoleOutput::Line(std::u16string_view text) {
    Write(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
    Write(console_ ? L"\n" : L"\r\n");
}

void ConsoleOutput::Write(std::wstring_view text) {
    if (text.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return;
    const int length = text.size() > INT_MAX / 4 ? INT_MAX / 4 : static_cast<int>(text.size());
    DWORD written = 0;
    if (console_) {
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return;
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    WriteFile(handle_, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr);
}

}  // namespace velmora::checker
