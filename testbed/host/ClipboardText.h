#pragma once
// The Windows clipboard as the stand-in's paste, the tests and the demo use it.
// Every opening waits up to a second for the clipboard to be free: another
// process may hold it for a moment after each change (Wine's clipboard proxy
// does so after every SetClipboardData).
#include <windows.h>

#include <string>

namespace velmora::host {

inline constexpr DWORD kClipboardWaitMs = 1000;

// Holds the clipboard open for its lifetime, if it could be opened, for
// `owner` (null: for the calling thread's task).
class ClipboardSession {
public:
    explicit ClipboardSession(DWORD waitMs = kClipboardWaitMs, HWND owner = nullptr);
    ~ClipboardSession();
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

struct ClipboardContents {
    bool opened = false;          // false: the clipboard stayed busy for the whole wait
    bool hasUnicodeText = false;  // CF_UNICODETEXT is available
    std::wstring text;            // up to the first NUL of the block
    SIZE_T blockBytes = 0;        // size of the CF_UNICODETEXT block
};

// Reads the clipboard's Unicode text.
ClipboardContents ReadClipboard();

// Replaces the clipboard's contents with `text` as CF_UNICODETEXT (a block of
// 2 x (length + 1) bytes). False when the clipboard stayed busy or refused.
bool WriteClipboardText(const std::wstring& text);

// Empties the clipboard, so that it holds no text at all.
bool ClearClipboard();

}  // namespace velmora::host
