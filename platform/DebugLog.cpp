#include "platform/DebugLog.h"

#include <windows.h>

#include "framework/TextConversion.h"

namespace velmora::debuglog {

namespace {

// Long enough for a reason with a full path; a longer detail is cut.
constexpr std::size_t kLineCapacity = 1024;

class LineBuffer {
public:
    void Append(std::wstring_view text) noexcept {
        for (wchar_t unit : text) {
            if (length_ + 2 >= kLineCapacity) return;  // room for the line end and the terminator
            units_[length_++] = unit;
        }
    }
    void Write() noexcept {
        units_[length_++] = L'\n';
        units_[length_] = L'\0';
        OutputDebugStringW(units_);
    }

private:
    wchar_t units_[kLineCapacity];
    std::size_t length_ = 0;
};

void Write(const wchar_t* command, Reason reason, const std::u16string_view* detail) noexcept {
    LineBuffer line;
    line.Append(L"Velmora: ");
    line.Append(command ? command : L"");
    line.Append(L": ");
    line.Append(reason ? reason : L"stopped");
    if (detail) {
        line.Append(L" \"");
        line.Append(AsWide(*detail));
        line.Append(L"\"");
    }
    line.Write();
}

}  // namespace

int CommandStopped(const wchar_t* command, Reason reason) noexcept {
    Write(command, reason, nullptr);
    return -1;
}

int CommandStopped(const wchar_t* command, Reason reason, std::u16string_view detail) noexcept {
    Write(command, reason, &detail);
    return -1;
}

}  // namespace velmora::debuglog
