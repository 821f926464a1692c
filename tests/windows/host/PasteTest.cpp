// TextSelection.Paste of the host stand-in against the real clipboard: the
// clipboard's Unicode text replaces the selection and the caret follows it.
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "ClientCalls.h"
#include "framework/UniqueHandle.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using host::PasteOutcome;

// Puts raw bytes on the clipboard under one format, as another program might.
bool PutRaw(UINT format, const void* data, size_t bytes) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) return false;
    void* target = GlobalLock(block.get());
    if (!target) return false;
    std::memcpy(target, data, bytes);
    GlobalUnlock(block.get());
    host::ClipboardSession session;
    if (!session.IsOpen() || !EmptyClipboard() || !SetClipboardData(format, block.get())) return false;
    block.release();
    return true;
}

class PasteTest : public HostTest {
protected:
    HRESULT Paste() {
        ComPtr<IDispatch> selection = Walk(host.Application(), {L"ActiveWindow", L"Document", L"Selection"});
        if (!selection) return E_UNEXPECTED;
        Var result;
        return CallByName(selection.Get(), L"Paste", DISPATCH_METHOD, {}, &result.value).result;
    }
};

TEST_F(PasteTest, TheClipboardTextReplacesTheSelectionAndTheCaretFollowsIt) {
    struct Case {
        const char* what;
        std::wstring text;
        size_t start, length;
        std::wstring clipboard;
        std::wstring expected;
        size_t caret;
    };
    const Case cases[] = {
        {"insert at the caret", L"int x;", 4, 0, L"ab", L"int abx;", 6},
        {"replace a selection", L"int x;", 4, 1, L"value", L"int value;", 9},
        {"replace everything", L"old", 0, 3, L"new", L"new", 3},
        {"line end at the end", L"a", 1, 0, L"\r\n", L"a\r\n", 3},
        {"Japanese with a surrogate pair", L"//\r\n", 2, 0, L" 𠮷野家のコード", L"// 𠮷野家のコード\r\n", 11},
        {"empty text deletes the selection", L"abc", 1, 1, L"", L"ac", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.SetDocument(c.text, c.start, c.length);
        ASSERT_TRUE(WriteClipboardText(c.clipboard));
        host.ClearPastes();
        EXPECT_EQ(S_OK, Paste());
        EXPECT_EQ(c.expected, host.DocumentText());
        EXPECT_EQ(c.caret, host.SelectionStart());
        EXPECT_EQ(0u, host.SelectionLength());
        ASSERT_EQ(1u, host.Pastes().size());
        EXPECT_EQ(PasteOutcome::Pasted, host.Pastes()[0].outcome);
        EXPECT_EQ(c.clipboard, host.Pastes()[0].text);
        // Pasting reads the clipboard and leaves it as it was.
        EXPECT_EQ(c.clipboard, ReadClipboard().text);
    }
}

TEST_F(PasteTest, WhatCountsAsUnicodeTextIsWhatWindowsHandsOut) {
    host.SetDocument(L"[]", 1, 0);
    // Text is read up to its terminator, whatever follows in the block.
    const wchar_t withTail[] = L"ab\0cd";
    ASSERT_TRUE(PutRaw(CF_UNICODETEXT, withTail, sizeof withTail));
    EXPECT_EQ(S_OK, Paste());
    EXPECT_EQ(L"[ab]", host.DocumentText());

    // ANSI text only: the system converts it on request.
    const char ansi[] = "plain";
    ASSERT_TRUE(PutRaw(CF_TEXT, ansi, sizeof ansi));
    EXPECT_EQ(S_OK, Paste());
    EXPECT_EQ(L"[abplain]", host.DocumentText());

    // Nothing textual: nothing pasted.
    ASSERT_TRUE(ClearClipboard());
    EXPECT_EQ(S_OK, Paste());
    EXPECT_EQ(L"[abplain]", host.DocumentText());
    ASSERT_EQ(3u, host.Pastes().size());
    EXPECT_EQ(PasteOutcome::NoUnicodeText, host.Pastes()[2].outcome);
}

TEST_F(PasteTest, AReadOnlyDocumentIsNotChanged) {
    host.SetDocument(L"const", 5, 0);
    host.SetDocumentReadOnly(true);
    ASSERT_TRUE(WriteClipboardText(L"!"));
    EXPECT_EQ(E_ACCESSDENIED, Paste());
    EXPECT_EQ(L"const", host.DocumentText());
    ASSERT_EQ(1u, host.Pastes().size());
    EXPECT_EQ(PasteOutcome::ReadOnly, host.Pastes()[0].outcome);
}

TEST_F(PasteTest, PasteWaitsUpToASecondForABusyClipboard) {
    struct Case {
        const char* what;
        DWORD heldMs;
        HRESULT expected;
        PasteOutcome outcome;
        std::wstring text;
    };
    const Case cases[] = {
        {"released after 300 ms", 300, S_OK, PasteOutcome::Pasted, L"x"},
        {"held for 2 s", 2000, CLIPBRD_E_CANT_OPEN, PasteOutcome::ClipboardBusy, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.SetDocument(L"", 0, 0);
        host.ClearPastes();
        ASSERT_TRUE(WriteClipboardText(L"x"));
        UniqueKernelHandle opened(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(opened);
        // Another thread holds the clipboard open with a window of its own,
        // as another program would.
        bool holding = false;
        std::thread holder([&] {
            HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            holding = window && OpenClipboard(window);
            SetEvent(opened.get());
            if (holding) {
                Sleep(c.heldMs);
                CloseClipboard();
            }
            if (window) DestroyWindow(window);
        });
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(opened.get(), 5000));
        EXPECT_TRUE(holding);
        const ULONGLONG begin = GetTickCount64();
        const HRESULT hr = Paste();
        const ULONGLONG waited = GetTickCount64() - begin;
        holder.join();
        EXPECT_EQ(c.expected, hr);
        ASSERT_EQ(1u, host.Pastes().size());
        EXPECT_EQ(c.outcome, host.Pastes()[0].outcome);
        EXPECT_EQ(c.text, host.DocumentText());
        EXPECT_GE(waited, c.heldMs < host::kClipboardWaitMs ? c.heldMs - 100 : host::kClipboardWaitMs - 50);
    }
}

TEST(HostClipboard, WrittenTextIsOneTerminatedBlockReadBackExactly) {
    const std::wstring texts[] = {L"", L"{4B1D}", L"日本語\r\nテキスト"};
    for (const std::wstring& text : texts) {
        ASSERT_TRUE(WriteClipboardText(text));
        const ClipboardContents contents = ReadClipboard();
        EXPECT_TRUE(contents.opened);
        EXPECT_TRUE(contents.hasUnicodeText);
        EXPECT_EQ(text, contents.text);
        EXPECT_EQ((text.size() + 1) * sizeof(wchar_t), contents.blockBytes);
    }
    ASSERT_TRUE(ClearClipboard());
    const ClipboardContents empty = ReadClipboard();
    EXPECT_TRUE(empty.opened);
    EXPECT_FALSE(empty.hasUnicodeText);
}

}  // namespace
}  // namespace velmora::test
