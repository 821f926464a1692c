// Memory running out inside a dialog's handlers: the template picker, the
// special-folder picker and the GUID dialog each end as a failure, their
// command returns -1, nothing reaches the document, nothing is opened, and
// the host keeps no reference; the program (the host's process) lives on.
//
// This file replaces operator new for the whole test program, the add-in's
// code included: while a thread is armed, each of its allocations throws
// std::bad_alloc; otherwise it is malloc. The dialog's thread is armed either
// for the whole run of the dialog (the failure comes while the dialog fills)
// or by the helper thread just before it makes a user's move.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "addin/Connect.h"
#include "explorer/SpecialFolderTable.h"
#include "testbed/host/ImportPatch.h"
#include "resources/resource.h"
#include "support/HostFixture.h"
#include "tests/windows/templates/TemplateTestSupport.h"

namespace {
std::atomic<DWORD> failingThread{0};  // 0: no thread fails
std::atomic<int> failedAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (failingThread.load() == GetCurrentThreadId()) {
        ++failedAllocations;
        throw std::bad_alloc();
    }
    for (;;) {
        if (void* memory = std::malloc(size != 0 ? size : 1)) return memory;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

namespace velmora::test {
namespace {

const std::wstring kSentinel = L"clipboard before the command";

// DialogBoxParamW as the add-in's code calls it, arming the calling thread
// for the whole dialog when asked to, and disarming it when the dialog ends.
std::atomic<bool> failWholeDialog{false};
host::ImportPatch* dialogBoxPatch = nullptr;

INT_PTR WINAPI DialogBoxFailingAllocations(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC procedure,
                                           LPARAM parameter) {
    using DialogBoxFunction = INT_PTR(WINAPI*)(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM);
    if (failWholeDialog) failingThread = GetCurrentThreadId();
    INT_PTR result =
        reinterpret_cast<DialogBoxFunction>(dialogBoxPatch->Original())(instance, name, owner, procedure, parameter);
    failingThread = 0;
    return result;
}

// CoCreateGuid as the add-in's code calls it, needing memory for its work,
// as the GUID dialog's handlers allocate nothing of their own.
host::ImportPatch* guidPatch = nullptr;

HRESULT WINAPI AllocatingGenerator(GUID* guid) {
    using GuidFunction = HRESULT(WINAPI*)(GUID*);
    auto made = std::make_unique<GUID>();
    const HRESULT result = reinterpret_cast<GuidFunction>(guidPatch->Original())(made.get());
    *guid = *made;
    return result;
}

// ShellExecuteExW as the add-in's code calls it: counted, without allocating.
std::atomic<int> shellLaunches{0};
BOOL WINAPI CountLaunch(SHELLEXECUTEINFOW*) {
    ++shellLaunches;
    return TRUE;
}

// Arms `thread`, then makes the move; the dialog's handler for it fails.
DialogDriver::Action ArmThen(DWORD thread, std::function<void(DialogSeen&)> move) {
    return [thread, move](DialogSeen& seen) {
        failingThread = thread;
        move(seen);
    };
}

// The special-folder picker's temporary-files entry, selected.
bool SelectTempEntry(HWND tree) {
    for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item)) {
        TVITEMW data = {};
        data.mask = TVIF_PARAM;
        data.hItem = item;
        if (TreeView_GetItem(tree, &data) && data.lParam == static_cast<LPARAM>(explorer::ItemTagOf(explorer::kTempFolder)))
            return TreeView_SelectItem(tree, item) != FALSE;
    }
    return false;
}

class HandlerFailureTest : public HostTest {
protected:
    void SetUp() override {
        files.Write(L"CodeSet.ini", "cpp.txt = cpp\n");
        files.Write(L"cpp.txt", "[for | counted loop]\nfor (;;) {}\n[if | condition]\nif () {}\n");
        files.Write(L"GuidSet.ini", "0");
        host.SetDocumentName(L"Sample.cpp");
        host.SetDocument(L"int x;", 6, 0);
        host.SetAnchorColumn(7);
        ASSERT_TRUE(WriteClipboardText(kSentinel));
        ASSERT_TRUE(patch.Installed());
        ASSERT_TRUE(generatorPatch.Installed());
        ASSERT_TRUE(shellPatch.Installed());
        dialogBoxPatch = &patch;
        guidPatch = &generatorPatch;
    }

    void TearDown() override {
        failWholeDialog = false;
        failingThread = 0;
        dialogBoxPatch = nullptr;
        guidPatch = nullptr;
        HostTest::TearDown();
    }

    ConfigFolderFiles files;
    ConnectedAddIn addIn{host};
    host::ImportPatch patch{GetModuleHandleW(nullptr), "user32.dll", "DialogBoxParamW",
                            reinterpret_cast<void*>(&DialogBoxFailingAllocations)};
    host::ImportPatch generatorPatch{GetModuleHandleW(nullptr), "ole32.dll", "CoCreateGuid",
                                     reinterpret_cast<void*>(&AllocatingGenerator)};
    host::ImportPatch shellPatch{GetModuleHandleW(nullptr), "shell32.dll", "ShellExecuteExW",
                                 reinterpret_cast<void*>(&CountLaunch)};
};

TEST_F(HandlerFailureTest, AllocationFailureInADialogHandlerFailsTheCommandAndInsertsNothing) {
    const DWORD ui = GetCurrentThreadId();
    using Command = int (Connect::*)();
    struct Case {
        const char* label;
        Command command;
        bool wholeDialog;            // armed from the start: the failure comes while it fills
        DialogDriver::Action action;  // otherwise: arms and makes the move that fails
    };
    const Case cases[] = {
        {"template picker filling its list", &Connect::CodeTemplate, true, PostCancel()},
        {"template picker choosing with Enter", &Connect::CodeTemplate, false, ArmThen(ui, [](DialogSeen& seen) {
             SendMessageW(seen.list, LB_SETCURSEL, 0, 0);
             PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         })},
        {"special-folder picker filling its tree", &Connect::ProjectExplorerSp, true, PostCancel()},
        {"special-folder picker opening the temporary files", &Connect::ProjectExplorerSp, false,
         [ui](DialogSeen& seen) {
             HWND tree = GetDlgItem(seen.window, IDC_FOLDER_TREE);
             if (!SelectTempEntry(tree)) {
                 seen.failure = "no temporary-files entry";
                 return;
             }
             failingThread = ui;
             NMHDR header = {tree, static_cast<UINT_PTR>(IDC_FOLDER_TREE), static_cast<UINT>(NM_DBLCLK)};
             SendMessageW(seen.window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
         }},
        {"GUID dialog making its first GUID", &Connect::SelectGUID, true, PostCancel()},
        {"GUID dialog making a new GUID", &Connect::SelectGUID, false, ArmThen(ui, [](DialogSeen& seen) {
             PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(IDC_NEW_GUID, BN_CLICKED),
                          reinterpret_cast<LPARAM>(GetDlgItem(seen.window, IDC_NEW_GUID)));
         })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        failedAllocations = 0;
        shellLaunches = 0;
        failWholeDialog = c.wholeDialog;
        DialogDriver driver(c.action);
        const int result = (addIn.Object().*c.command)();
        failWholeDialog = false;
        const DialogSeen& seen = c.wholeDialog ? driver.SeenNone() : driver.Seen();

        EXPECT_EQ(result, -1);
        EXPECT_GT(failedAllocations.load(), 0) << "no allocation failed: the case tests nothing";
        EXPECT_EQ(seen.failure, "");
        if (c.wholeDialog) {
            EXPECT_FALSE(seen.appeared) << "the dialog was shown although it could not fill";
        } else {
            EXPECT_TRUE(seen.appeared && seen.closedByAction) << "the dialog did not end on the failure";
        }
        EXPECT_EQ(host.DocumentText(), L"int x;");
        EXPECT_TRUE(host.Pastes().empty());
        EXPECT_EQ(ClipboardTextOrMarker(), kSentinel);
        EXPECT_FALSE(ConnectFields::HasGuidText(addIn.Object()));
        EXPECT_EQ(shellLaunches.load(), 0);
        EXPECT_TRUE(HoldsNoHostObjects(host));
    }

    // The failures left nothing behind: the next run of a command works.
    DialogDriver driver(SelectThenOk(0));
    EXPECT_EQ(addIn.Object().CodeTemplate(), 0);
    EXPECT_EQ(driver.Seen().chosenText, L"for  counted loop");
    EXPECT_EQ(host.DocumentText(), L"int x;for (;;) {}\n");
    EXPECT_TRUE(HoldsNoHostObjects(host));
}

}  // namespace
}  // namespace velmora::test
