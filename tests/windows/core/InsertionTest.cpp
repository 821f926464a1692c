// Text insertion: the clipboard hand-over and the host's paste, and every way
// the insertion is refused before the clipboard is touched.
#include <windows.h>

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "addin/Connect.h"
#include "platform/TextInsertion.h"
#include "platform/HostOperations.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

using InsertionTest = HostTest;

// Pastes through the shared hand-over into the stand-in's active selection.
int PasteIntoActiveSelection(HostStandIn& host, const std::wstring& text) {
    hostops::EditableSelection target;
    if (!hostops::FindEditableSelection(host.Application(), target)) return -2;
    return PasteText(target.selection.Get(), text.c_str(), text.size());
}

TEST_F(InsertionTest, ClipboardHoldsExactlyTheTextAndTheSelectionIsReplaced) {
    const std::wstring texts[] = {L"x", L"{0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n", L"一行目\n\t二行目\n"};
    for (const std::wstring& text : texts) {
        host.SetDocument(L"int a; /*SEL*/ int b;", 7, 7);
        ASSERT_EQ(PasteIntoActiveSelection(host, text), 0);
        ClipboardContents clip = ReadClipboard();
        ASSERT_TRUE(clip.hasUnicodeText);
        EXPECT_EQ(clip.text, text);
        EXPECT_EQ(clip.blockBytes, (text.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(host.DocumentText(), L"int a; " + text + L" int b;");
        ASSERT_FALSE(host.Pastes().empty());
        EXPECT_EQ(host.Pastes().back().text, text);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }
}

TEST_F(InsertionTest, EmptyTextStillFillsTheClipboardAndPastes) {
    ConnectedAddIn addIn(host);
    host.SetDocument(L"abcdef", 2, 2);
    ASSERT_TRUE(WriteClipboardText(L"before"));
    EXPECT_EQ(addIn.Object().InsertText(), 0);  // guidText is still empty
    ClipboardContents clip = ReadClipboard();
    ASSERT_TRUE(clip.hasUnicodeText);
    EXPECT_EQ(clip.text, L"");
    EXPECT_EQ(clip.blockBytes, 2u);
    EXPECT_EQ(host.DocumentText(), L"abef");
    EXPECT_EQ(host.Pastes().size(), 1u);
}

TEST_F(InsertionTest, RefusedTargetsLeaveClipboardAndDocumentAlone) {
    struct Case {
        const char* name;
        std::function<void(HostStandIn&)> setUp;
    };
    const Case cases[] = {
        {"no active window", [](HostStandIn& h) { h.SetActiveWindow(false); }},
        {"window without document", [](HostStandIn& h) { h.SetWindowHasDocument(false); }},
        {"read-only document", [](HostStandIn& h) { h.SetDocumentReadOnly(true); }},
        {"no text selection", [](HostStandIn& h) { h.SetTextSelection(false); }},
        {"Document fails", [](HostStandIn& h) { h.FailMember(L"Document", E_FAIL); }},
        {"ReadOnly fails", [](HostStandIn& h) { h.FailMember(L"ReadOnly", E_FAIL); }},
        {"Selection fails", [](HostStandIn& h) { h.FailMember(L"Selection", E_FAIL); }},
        {"Selection empty", [](HostStandIn& h) { h.EmptyMember(L"Selection"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostStandIn fresh;
        ConnectedAddIn addIn(fresh);
        fresh.SetDocument(L"keep me", 0, 4);
        c.setUp(fresh);
        ASSERT_TRUE(WriteClipboardText(L"before"));
        EXPECT_EQ(addIn.Object().InsertText(), -1);
        EXPECT_EQ(ReadClipboard().text, L"before");
        EXPECT_EQ(fresh.DocumentText(), L"keep me");
        EXPECT_TRUE(fresh.Pastes().empty());
    }
}

TEST_F(InsertionTest, ClipboardHeldElsewhereMakesTheInsertionFail) {
    ConnectedAddIn addIn(host);
    host.SetDocument(L"keep me", 0, 4);
    ASSERT_TRUE(WriteClipboardText(L"before"));

    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool holderOpened = false;
    std::thread holder([&] {
        // Another program's window holds the clipboard open; the session
        // waits out the moment the clipboard proxy may hold it after the write.
        HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        {
            host::ClipboardSession session(host::kClipboardWaitMs, window);
            holderOpened = session.IsOpen();
            SetEvent(opened);
            WaitForSingleObject(done, 10000);
        }
        DestroyWindow(window);
    });
    WaitForSingleObject(opened, 10000);
    ASSERT_TRUE(holderOpened);
    EXPECT_EQ(addIn.Object().InsertText(), -1);
    SetEvent(done);
    holder.join();
    CloseHandle(opened);
    CloseHandle(done);

    EXPECT_EQ(ReadClipboard().text, L"before");
    EXPECT_EQ(host.DocumentText(), L"keep me");
    EXPECT_TRUE(host.Pastes().empty());
}

TEST_F(InsertionTest, PasteResultIsNotJudged) {
    ConnectedAddIn addIn(host);
    host.FailMember(L"Paste", E_FAIL);
    EXPECT_EQ(addIn.Object().InsertText(), 0);
    EXPECT_TRUE(ReadClipboard().hasUnicodeText);
}

}  // namespace
}  // namespace velmora::test
