#include "platform/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "framework/UniqueHandle.h"

namespace velmora::clipboard {

namespace {
class OpenedClipboard {
public:
    OpenedClipboard() : open_(OpenClipboard(nullptr) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool IsOpen() const { return open_; }

private:
    bool open_;
};
}  // namespace

bool PutUnicodeText(const wchar_t* text, std::size_t length, debuglog::Reason* whyNot) {
    using debuglog::Tell;
    OpenedClipboard opened;
    if (!opened.IsOpen()) {
        Tell(whyNot, L"the clipboard cannot be opened");
        return false;
    }

    const std::size_t bytes = (length + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) {
        Tell(whyNot, L"no memory for the clipboard text");
        return false;
    }
    void* target = GlobalLock(block.get());
    if (!target) {
        Tell(whyNot, L"the clipboard text cannot be locked");
        return false;  // nothing emptied yet: the old contents stay
    }
    std::memcpy(target, text, length * sizeof(wchar_t));
    static_cast<wchar_t*>(target)[length] = L'\0';
    EmptyClipboard();
    GlobalUnlock(block.get());
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) {
        Tell(whyNot, L"the clipboard refused the text");
        return false;
    }
    block.release();  // the clipboard owns it now
    return true;
}

}  // namespace velmora::clipboard
