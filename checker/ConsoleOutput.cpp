#include "checker/ConsoleOutput.h"

#include <climits>

#include "framework/TextConversion.h"

namespace velmora::checker {

ConsoleOutput::ConsoleOutput(DWORD standardHandle) : handle_(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
}

void ConsoleOutput::Line(std::u16string_view text) {
    Write(AsWide(text));
    Write(console_ ? L"\n" : L"\r\n");
}

void ConsoleOutput::Write(std::wstring_view text) {
    if (text.empty() || handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (console_) {
        const DWORD length = text.size() > INT_MAX / 4 ? INT_MAX / 4 : static_cast<DWORD>(text.size());
        WriteConsoleW(handle_, text.data(), length, &written, nullptr);
        return;
    }
    const std::string utf8 = ToCodePage(text, CP_UTF8);
    if (!utf8.empty()) WriteFile(handle_, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace velmora::checker
