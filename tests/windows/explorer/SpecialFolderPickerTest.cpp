// The special-folder picker driven as a user drives it, from a helper thread
// while the add-in's modal loop runs: what it lists, what a double-click
// opens, the ways it closes, and the icons and image list it leaves behind.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ExplorerTestSupport.h"
#include "addin/Connect.h"
#include "explorer/SpecialFolderPicker.h"
#include "explorer/SpecialFolderTable.h"
#include "framework/TextConversion.h"
#include "resources/resource.h"
#include "support/HostFixture.h"

namespace velmora::test {
namespace {

constexpr wchar_t kTempName[] = L"Tempディレクトリ";

HWND TreeOf(HWND dialog) { return GetDlgItem(dialog, IDC_FOLDER_TREE); }

const TreeEntry* FindEntry(const std::vector<TreeEntry>& entries, int number) {
    for (const TreeEntry& entry : entries)
        if (static_cast<std::uint32_t>(entry.data) == explorer::ItemTagOf(number)) return &entry;
    return nullptr;
}

// Everything the helper saw while the picker was open.
struct Seen {
    std::vector<TreeEntry> entries;
    HIMAGELIST imageList = nullptr;
    int imageCount = -1;
    HBITMAP imageBitmap = nullptr;  // the image list's own bitmap
    COLORREF imageBackground = CLR_NONE;
    int imageWidth = 0;
    int imageHeight = 0;
    HWND focus = nullptr;
    HWND tree = nullptr;
    std::wstring treeClass;
    LONG treeStyle = 0;
    LONG dialogStyle = 0;
    bool foreground = false;
    bool selected = false;
    std::vector<HICON> liveIcons;  // icons handed over that were still alive while open
};

Seen Look(HWND dialog) {
    Seen seen;
    seen.tree = TreeOf(dialog);
    seen.entries = ReadTree(seen.tree);
    wchar_t className[64] = {};
    GetClassNameW(seen.tree, className, 64);
    seen.treeClass = className;
    seen.treeStyle = GetWindowLongW(seen.tree, GWL_STYLE);
    seen.dialogStyle = GetWindowLongW(dialog, GWL_STYLE);
    seen.imageList = reinterpret_cast<HIMAGELIST>(SendMessageW(seen.tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    seen.imageCount = seen.imageList ? ImageList_GetImageCount(seen.imageList) : -1;
    if (seen.imageList) {
        seen.imageBackground = ImageList_GetBkColor(seen.imageList);
        ImageList_GetIconSize(seen.imageList, &seen.imageWidth, &seen.imageHeight);
    }
    IMAGEINFO image = {};
    if (seen.imageCount > 0 && ImageList_GetImageInfo(seen.imageList, 0, &image)) seen.imageBitmap = image.hbmImage;
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) seen.focus = info.hwndFocus;
    seen.foreground = GetForegroundWindow() == dialog;
    return seen;
}

bool Select(const Seen& seen, int number) {
    const TreeEntry* entry = FindEntry(seen.entries, number);
    if (!entry) return false;
    return SendMessageW(seen.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry->item)) != 0;
}

class SpecialFolderPickerTest : public HostTest {
protected:
    // Runs the command as the host runs it, with `drive` on the helper thread.
    popup::PopUpOutcome ExecPicker(const std::function<void(HWND)>& drive) {
        return popup::RunWithPopUp([this] { execResult = addIn.Exec(FullCommandName(L"ProjectExplorerSp")); }, drive);
    }

    ShellLaunches launches;
    ConnectedAddIn addIn{host};
    ExecResult execResult{E_FAIL, VARIANT_FALSE};
};

TEST_F(SpecialFolderPickerTest, ListsTheAvailablePlacesInCatalogueOrderWithTempLast) {
    Seen seen;
    popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
        seen = Look(dialog);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    });
    ASSERT_TRUE(outcome.appeared);
    EXPECT_TRUE(outcome.closedByUser);
    EXPECT_EQ(execResult.result, S_OK);
    EXPECT_TRUE(launches.Records().empty());

    std::vector<int> expected;
    for (int n = 0; n <= explorer::kLastShellFolder; ++n)
        if (explorer::IsOfferedFolder(n) && ShellKnowsFolder(n)) expected.push_back(n);
    expected.push_back(explorer::kTempFolder);  // the test prefix's temp directory exists

    std::vector<int> listed;
    std::set<int> images;
    for (const TreeEntry& entry : seen.entries) {
        std::uint32_t number = 0;
        ASSERT_TRUE(explorer::FolderOfItemTag(static_cast<std::uint32_t>(entry.data), number))
            << "item without a tag: " << Narrow(entry.text);
        listed.push_back(static_cast<int>(number));
        SCOPED_TRACE(number);
        EXPECT_FALSE(entry.text.empty());
        EXPECT_EQ(entry.text, AsWide(explorer::SpecialFolderTable[number]));
        EXPECT_EQ(entry.image, entry.selectedImage);
        images.insert(entry.image);
    }
    EXPECT_EQ(listed, expected);
    ASSERT_FALSE(seen.entries.empty());
    EXPECT_EQ(seen.entries.back().text, kTempName);
    for (int n : {0, 1, 3, 4, 10, 17, 18}) EXPECT_NE(FindEntry(seen.entries, n), nullptr) << n;
    // One image of its own per entry, all in the tree's image list.
    EXPECT_EQ(images.size(), seen.entries.size());
    EXPECT_EQ(seen.imageCount, static_cast<int>(seen.entries.size()));
    EXPECT_EQ(*images.begin(), 0);
    EXPECT_EQ(*images.rbegin(), static_cast<int>(seen.entries.size()) - 1);
    // Small icons drawn onto white.
    EXPECT_EQ(seen.imageWidth, 16);
    EXPECT_EQ(seen.imageHeight, 16);
    EXPECT_EQ(seen.imageBackground, RGB(255, 255, 255));
    // The keyboard focus is in the tree, the window's only tab stop.
    EXPECT_EQ(seen.focus, seen.tree);
    // A flat list in a caption-less pop-up.
    EXPECT_EQ(seen.treeClass, WC_TREEVIEWW);
    EXPECT_EQ(seen.treeStyle & (TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT), 0);
    EXPECT_EQ(seen.dialogStyle & WS_CAPTION, WS_BORDER);
    EXPECT_NE(seen.dialogStyle & WS_POPUP, 0);
}

TEST_F(SpecialFolderPickerTest, LeavesOutATemporaryDirectoryThatDoesNotExist) {
    Seen seen;
    popup::PopUpOutcome outcome;
    {
        TemporaryDirectoryOverride missing(L"C:\\velmora-no-such-temp\\");
        outcome = ExecPicker([&](HWND dialog) {
            seen = Look(dialog);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        });
    }
    ASSERT_TRUE(outcome.appeared);
    ASSERT_FALSE(seen.entries.empty());
    EXPECT_EQ(FindEntry(seen.entries, explorer::kTempFolder), nullptr);
    for (const TreeEntry& entry : seen.entries) EXPECT_NE(entry.text, kTempName);
    EXPECT_EQ(seen.imageCount, static_cast<int>(seen.entries.size()));
}

// A double-click opens the selected entry and closes the picker; Shift,
// really held down, asks for "Open" instead of "explore".
TEST_F(SpecialFolderPickerTest, DoubleClickOpensTheSelectedEntry) {
    RegisteredBrowser browser(RegisteredBrowser::Htm::PointsAtTestClass,
                              L"\"C:\\Program Files\\Browser\\browser.exe\" -nohome \"%1\"");
    ASSERT_TRUE(browser.Ready());
    const DWORD dialogThread = GetCurrentThreadId();
    const struct {
        int number;
        bool shift;
        const wchar_t* verb;
    } cases[] = {
        {0, false, L"explore"},  {0, true, L"Open"},  {5, false, L"explore"}, {17, true, L"Open"},
        {1, false, L"Open"},     {1, true, L"Open"},  {62, false, L"explore"}, {62, true, L"Open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.number) + (c.shift ? " with Shift" : ""));
        launches.Clear();
        Seen seen;
        bool shiftRead = false;
        popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
            seen = Look(dialog);
            // Shift goes down while the picker has the keyboard, as when the
            // user holds it over the list, and stays down for the double-click.
            KeyReadWatch watch(dialogThread);
            if (c.shift && seen.foreground) shiftRead = watch.SendAndWait(VK_SHIFT, false);
            seen.selected = Select(seen, c.number);
            if (seen.selected) SendTreeDoubleClick(dialog, seen.tree);
            if (c.shift) watch.SendAndWait(VK_SHIFT, true, 500);
        });
        ReleaseKey(VK_SHIFT);
        if (c.shift) {
            ASSERT_TRUE(seen.foreground) << "the picker did not have the keyboard";
            ASSERT_TRUE(shiftRead) << "the picker's thread never read the Shift press";
        }
        ASSERT_TRUE(outcome.appeared);
        ASSERT_TRUE(seen.selected) << "entry not listed";
        EXPECT_TRUE(outcome.closedByUser) << "the picker stayed open after the double-click";
        ASSERT_EQ(launches.Records().size(), 1u);
        const host::LaunchRecord& request = launches.Records()[0];
        EXPECT_EQ(request.verb, c.verb);
        EXPECT_EQ(request.cbSize, sizeof(SHELLEXECUTEINFOW));
        EXPECT_EQ(request.nShow, SW_SHOWNORMAL);
        EXPECT_EQ(request.hwnd, nullptr);
        EXPECT_FALSE(request.hasParameters);
        EXPECT_FALSE(request.hasDirectory);
        if (c.number == explorer::kInternetFolder) {
            EXPECT_EQ(request.fMask, 0u);
            EXPECT_EQ(request.file, L"C:\\Program Files\\Browser\\browser.exe");
            EXPECT_TRUE(request.idList.empty());
        } else if (c.number == explorer::kTempFolder) {
            EXPECT_EQ(request.fMask, 0u);
            EXPECT_EQ(request.file, TemporaryPath());
            EXPECT_TRUE(request.idList.empty());
        } else {
            EXPECT_EQ(request.fMask, static_cast<ULONG>(SEE_MASK_IDLIST));
            EXPECT_FALSE(request.hasFile);
            LPITEMIDLIST expected = nullptr;
            ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, c.number, &expected), S_OK);
            ASSERT_NE(request.IdList(), nullptr);
            EXPECT_TRUE(ILIsEqual(request.IdList(), expected));
            CoTaskMemFree(expected);
        }
    }
}

// A real double-click with the mouse: the tree selects the entry under the
// pointer and tells the picker, which opens that entry.
TEST_F(SpecialFolderPickerTest, ARealDoubleClickOnAnEntryOpensIt) {
    Seen seen;
    bool clicked = false;
    int clickedNumber = -1;
    popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
        seen = Look(dialog);
        if (!seen.foreground || seen.entries.size() < 3) return;
        const TreeEntry& target = seen.entries[2];
        clickedNumber = static_cast<int>(target.data & ~explorer::kItemTagBit);
        RECT rect = {};
        *reinterpret_cast<HTREEITEM*>(&rect) = target.item;
        if (!SendMessageW(seen.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return;
        POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(seen.tree, &point);
        SetCursorPos(point.x, point.y);
        INPUT input[4] = {};
        for (int i = 0; i < 4; ++i) {
            input[i].type = INPUT_MOUSE;
            input[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
        }
        clicked = SendInput(4, input, sizeof(INPUT)) == 4;
    });
    ASSERT_TRUE(outcome.appeared);
    ASSERT_TRUE(seen.foreground) << "the picker did not have the mouse and keyboard";
    ASSERT_TRUE(clicked);
    EXPECT_TRUE(outcome.closedByUser) << "the picker stayed open after the double-click";
    ASSERT_EQ(launches.Records().size(), 1u);
    const host::LaunchRecord& request = launches.Records()[0];
    EXPECT_EQ(request.verb, L"explore");
    LPITEMIDLIST expected = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, clickedNumber, &expected), S_OK);
    ASSERT_NE(request.IdList(), nullptr);
    EXPECT_TRUE(ILIsEqual(request.IdList(), expected)) << "opened another entry than " << clickedNumber;
    CoTaskMemFree(expected);
}

TEST_F(SpecialFolderPickerTest, InternetEntryWithoutAUsableBrowserOpensNothingAndCloses) {
    const struct {
        const char* what;
        RegisteredBrowser::Htm htm;
        std::wstring command;
        DWORD type;
    } cases[] = {
        {"no browser registered", RegisteredBrowser::Htm::Missing, L"", REG_SZ},
        {"class without an open command", RegisteredBrowser::Htm::PointsAtMissingClass, L"", REG_SZ},
        {"expandable string", RegisteredBrowser::Htm::PointsAtTestClass, L"\"%ProgramFiles%\\b.exe\" %1", REG_EXPAND_SZ},
        {"path too long for the buffer", RegisteredBrowser::Htm::PointsAtTestClass,
         L"\"C:\\" + std::wstring(300, L'p') + L".exe\" %1", REG_SZ},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegisteredBrowser browser(c.htm, c.command, c.type);
        ASSERT_TRUE(browser.Ready());
        launches.Clear();
        bool selected = false;
        popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
            Seen seen = Look(dialog);
            selected = Select(seen, explorer::kInternetFolder);
            if (selected) SendTreeDoubleClick(dialog, seen.tree);
        });
        ASSERT_TRUE(outcome.appeared);
        ASSERT_TRUE(selected);
        EXPECT_TRUE(outcome.closedByUser);
        EXPECT_TRUE(launches.Records().empty());
    }
}

TEST_F(SpecialFolderPickerTest, DoubleClickWithNothingSelectedOpensNothingAndCloses) {
    bool hadSelection = true;
    popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
        HWND tree = TreeOf(dialog);
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
        hadSelection = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
        SendTreeDoubleClick(dialog, tree);
    });
    ASSERT_TRUE(outcome.appeared);
    EXPECT_FALSE(hadSelection);
    EXPECT_TRUE(outcome.closedByUser);
    EXPECT_TRUE(launches.Records().empty());
}

// Enter, Escape and the commands they give close the picker without
// opening anything; a command with another notification code is not theirs.
TEST_F(SpecialFolderPickerTest, EnterEscapeAndTheirCommandsCloseWithoutOpening) {
    const struct {
        const char* what;
        std::function<void(HWND dialog, HWND focus)> act;
        INT_PTR endCode;  // 0: the picker must stay open
    } cases[] = {
        {"Enter in the tree",
         [](HWND, HWND focus) {
             PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
             PostMessageW(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
         },
         IDOK},
        {"Escape in the tree",
         [](HWND, HWND focus) {
             PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
             PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
         },
         IDCANCEL},
        {"IDOK", [](HWND dialog, HWND) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0); }, IDOK},
        {"IDCANCEL", [](HWND dialog, HWND) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0); },
         IDCANCEL},
        {"close request", [](HWND dialog, HWND) { PostMessageW(dialog, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"IDOK with a notification code", [](HWND dialog, HWND) {
             PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
         }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        launches.Clear();
        explorer::SpecialFolderPicker picker;
        INT_PTR endCode = -5;
        HWND focus = nullptr;
        HWND tree = nullptr;
        popup::PopUpOutcome outcome = popup::RunWithPopUp([&] { endCode = picker.DoModal(); },
                                             [&](HWND dialog) {
                                                 Seen seen = Look(dialog);
                                                 focus = seen.focus;
                                                 tree = seen.tree;
                                                 c.act(dialog, seen.focus);
                                             },
                                             popup::PopUpTimeouts{10000, c.endCode ? 3000u : 500u});
        ASSERT_TRUE(outcome.appeared);
        EXPECT_EQ(focus, tree) << "the keys went elsewhere than the tree";
        if (c.endCode) {
            EXPECT_TRUE(outcome.closedByUser);
            EXPECT_EQ(endCode, c.endCode);
        } else {
            EXPECT_TRUE(outcome.forcedClose) << "the picker closed on a command it does not take";
        }
        EXPECT_TRUE(launches.Records().empty());
    }
}

// Clicking another window takes the keyboard focus from the tree, which
// closes the picker as Escape does.
TEST_F(SpecialFolderPickerTest, ClickingAnotherWindowClosesWithoutOpening) {
    explorer::SpecialFolderPicker picker;
    INT_PTR endCode = -5;
    bool wasForeground = false;
    bool otherActivated = false;
    popup::PopUpOutcome outcome = popup::RunWithPopUp([&] { endCode = picker.DoModal(); },
                                         [&](HWND dialog) {
                                             wasForeground = GetForegroundWindow() == dialog;
                                             // Another application's window, in a thread of its own.
                                             ForegroundWindow other;
                                             otherActivated = other.IsForeground();
                                             PumpMessages(2000, [&] { return !IsWindow(dialog); });
                                         });
    ASSERT_TRUE(outcome.appeared);
    EXPECT_TRUE(wasForeground);
    EXPECT_TRUE(otherActivated);
    EXPECT_TRUE(outcome.closedByUser) << "the picker stayed open after losing the focus";
    EXPECT_EQ(endCode, IDCANCEL);
    EXPECT_TRUE(launches.Records().empty());
}

TEST_F(SpecialFolderPickerTest, ARealClickOnAnotherWindowClosesIt) {
    explorer::SpecialFolderPicker picker;
    INT_PTR endCode = -5;
    bool wasForeground = false;
    bool clicked = false;
    popup::PopUpOutcome outcome = popup::RunWithPopUp([&] { endCode = picker.DoModal(); },
                                         [&](HWND dialog) {
                                             ForegroundWindow other(false);
                                             wasForeground = GetForegroundWindow() == dialog;
                                             if (!wasForeground) return;
                                             RECT bounds = {};
                                             GetWindowRect(other.Handle(), &bounds);
                                             SetCursorPos(bounds.left + 10, bounds.top + 10);
                                             INPUT input[2] = {};
                                             input[0].type = input[1].type = INPUT_MOUSE;
                                             input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
                                             input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
                                             clicked = SendInput(2, input, sizeof(INPUT)) == 2;
                                             PumpMessages(2000, [&] { return !IsWindow(dialog); });
                                         });
    ASSERT_TRUE(outcome.appeared);
    ASSERT_TRUE(wasForeground) << "the picker never had the keyboard";
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(outcome.closedByUser) << "the picker stayed open after the click elsewhere";
    EXPECT_EQ(endCode, IDCANCEL);
    EXPECT_TRUE(launches.Records().empty());
}

// Every icon the shell handed over is destroyed as soon as the image list
// holds its copy, and the image list goes with the picker; opening the
// picker again and again leaves nothing behind.
TEST_F(SpecialFolderPickerTest, IconsAndImageListAreDestroyed) {
    const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD userBefore = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    for (int run = 0; run < 5; ++run) {
        SCOPED_TRACE(run);
        ShellIconWatch watch;
        ASSERT_TRUE(watch.Installed());
        Seen seen;
        popup::PopUpOutcome outcome = ExecPicker([&](HWND dialog) {
            seen = Look(dialog);
            for (HICON icon : watch.Icons())
                if (IconIsAlive(icon)) seen.liveIcons.push_back(icon);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
        });
        ASSERT_TRUE(outcome.appeared);
        const std::vector<HICON> icons = watch.Icons();
        ASSERT_EQ(icons.size(), seen.entries.size()) << "one icon from the shell per listed entry";
        EXPECT_TRUE(seen.liveIcons.empty()) << seen.liveIcons.size() << " icons outlived their copy";
        for (HICON icon : icons) EXPECT_FALSE(IconIsAlive(icon));
        ASSERT_NE(seen.imageList, nullptr);
        EXPECT_EQ(seen.imageCount, static_cast<int>(icons.size()));
        // The image list's own bitmap is deleted with it.
        ASSERT_NE(seen.imageBitmap, nullptr);
        EXPECT_EQ(GetObjectType(seen.imageBitmap), 0u) << "the image list outlived the picker";
    }
    // Under Wine GetGuiResources is a stub that answers 0; on Windows the
    // counts must come back to where they were.
    if (gdiBefore != 0 || userBefore != 0) {
        EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 2);
        EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userBefore + 2);
    }
}

// While the picker object lives it keeps its image list; it goes with the
// object, not before.
TEST_F(SpecialFolderPickerTest, ImageListLivesAsLongAsThePicker) {
    auto picker = std::make_unique<explorer::SpecialFolderPicker>();
    Seen seen;
    popup::PopUpOutcome outcome = popup::RunWithPopUp([&] { picker->DoModal(); },
                                         [&](HWND dialog) {
                                             seen = Look(dialog);
                                             PostMessageW(dialog, WM_CLOSE, 0, 0);
                                         });
    ASSERT_TRUE(outcome.appeared);
    ASSERT_NE(seen.imageBitmap, nullptr);
    EXPECT_EQ(GetObjectType(seen.imageBitmap), static_cast<DWORD>(OBJ_BITMAP));
    picker.reset();
    EXPECT_EQ(GetObjectType(seen.imageBitmap), 0u);
}

TEST_F(SpecialFolderPickerTest, HandlerShowsThePickerAndReturnsZero) {
    popup::PopUpOutcome outcome = popup::RunWithPopUp(
        [&] { EXPECT_EQ(addIn.Object().ProjectExplorerSp(), 0); },
        [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_TRUE(outcome.appeared);
    EXPECT_TRUE(outcome.closedByUser);
    EXPECT_TRUE(HoldsNoHostObjects(host));
}

}  // namespace
}  // namespace velmora::test
