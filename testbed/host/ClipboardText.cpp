#include "testbed/host/ClipboardText.h"

#include <cstring>

#include "framework/UniqueHandle.h"

namespace velmora::host {

// A bounded retry, not a wait on an event: Wine's clipboard proxy opens the
// clipboard for a moment after every change, and nothing tells when it lets go.
ClipboardSession::ClipboardSession(DWORD waitMs, HWND owner) {
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        if (OpenClipboard(owner)) {
            open_ = true;
            return;
        }
        if (GetTickCount64() >= deadline) return;
        Sleep(10);
    }
}

ClipboardSession::~ClipboardSession() {
    if (open_) CloseClipboard();
}

ClipboardContents ReadClipboard() {
    ClipboardContents contents;
    ClipboardSession session;
    if (!session.IsOpen()) return contents;
    contents.opened = true;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return contents;
    contents.blockBytes = GlobalSize(data);
    const auto* units = static_cast<const wchar_t*>(GlobalLock(data));
    if (!units) return contents;
    contents.hasUnicodeText = true;
    const size_t capacity = contents.blockBytes / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && units[length] != L'\0') ++length;
    contents.text.assign(units, length);
    GlobalUnlock(data);
    return contents;
}

bool WriteClipboardText(const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return false;
    void* target = GlobalLock(block.get());
    if (!target) return false;
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(block.get());

    ClipboardSession session;
    if (!session.IsOpen() || !EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}

bool ClearClipboard() {
    ClipboardSession session;
    return session.IsOpen() && EmptyClipboard();
}

}  // namespace velmora::host
