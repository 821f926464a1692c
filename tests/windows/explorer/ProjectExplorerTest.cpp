// The project-folder command against the host stand-in: which host states
// open the solution's folder, the request the shell gets, and the verb chosen
// by the keys and mouse buttons really held down when the command runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ExplorerTestSupport.h"
#include "addin/Connect.h"
#include "support/DebugOutputCapture.h"
#include "support/HostFixture.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A network share that exists: under Wine a folder the prefix maps as
// \\velmora-unc\share, on Windows the administrative share of drive C.
class UncShare {
public:
    UncShare() {
        if (RunningUnderWine()) {
            wchar_t prefix[MAX_PATH] = {};
            if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return;
            std::wstring unc = L"Z:" + std::wstring(prefix) + L"\\dosdevices\\unc";
            for (wchar_t& c : unc) c = c == L'/' ? L'\\' : c;
            host_ = unc + L"\\velmora-unc";
            CreateDirectoryW(unc.c_str(), nullptr);
            CreateDirectoryW(host_.c_str(), nullptr);
            local_ = host_ + L"\\share";
            CreateDirectoryW(local_.c_str(), nullptr);
            CreateDirectoryW((local_ + L"\\Solution").c_str(), nullptr);
            share_ = L"\\\\velmora-unc\\share";
        } else {
            share_ = L"\\\\localhost\\C$\\Windows\\Temp";
        }
        DWORD attributes = GetFileAttributesW((share_ + L"\\Solution").c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES && !RunningUnderWine()) {
            CreateDirectoryW((share_ + L"\\Solution").c_str(), nullptr);
            attributes = GetFileAttributesW((share_ + L"\\Solution").c_str());
        }
        ready_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    ~UncShare() {
        RemoveDirectoryW((share_ + L"\\Solution").c_str());
        if (!local_.empty()) {
            RemoveDirectoryW(local_.c_str());
            RemoveDirectoryW(host_.c_str());
        }
    }
    UncShare(const UncShare&) = delete;
    UncShare& operator=(const UncShare&) = delete;
    bool Ready() const { return ready_; }
    // \\server\share\Solution
    std::wstring Folder() const { return share_ + L"\\Solution"; }

private:
    std::wstring host_;
    std::wstring local_;
    std::wstring share_;
    bool ready_ = false;
};

class ProjectExplorerTest : public HostTest {
protected:
    void SetUp() override {
        CreateDirectoryW((folder.Path() + L"\\Sample").c_str(), nullptr);
        std::ofstream(std::wstring(folder.Path() + L"\\notes.txt").c_str()) << "not a folder";
        host.SetDebuggerMode(dbgDesignMode);
        host.SetSolutionOpen(true);
        host.SetSolutionFullName(SolutionIn(L"Sample"));
    }

    std::wstring SolutionIn(const std::wstring& subfolder) const {
        return folder.Path() + L"\\" + subfolder + L"\\Sample.sln";
    }

    // Runs the handler directly and returns its result.
    int Run() {
        launches.Clear();
        int result = addIn.Object().ProjectExplorer();
        EXPECT_TRUE(HoldsNoHostObjects(host));
        return result;
    }

    ScratchFolder folder{L"VelmoraProjectExplorer"};
    ShellLaunches launches;
    ConnectedAddIn addIn{host};
    DebugOutputCapture debug;
};

TEST_F(ProjectExplorerTest, OpensTheSolutionFolderOnlyInTheRightHostStates) {
    const std::wstring sample = folder.Path() + L"\\Sample";
    const std::wstring noFolder = L"the solution's folder is not there: ";
    const std::wstring noCut = L"the solution's file name names no folder: ";
    const struct {
        const char* what;
        long mode;
        bool open;
        std::wstring fullName;
        const wchar_t* opened;  // null: nothing may be opened
        std::wstring reason;    // written to the debug output when nothing opens
    } cases[] = {
        {"design mode", dbgDesignMode, true, SolutionIn(L"Sample"), sample.c_str(), L""},
        {"run mode", dbgRunMode, true, SolutionIn(L"Sample"), sample.c_str(), L""},
        {"break mode", dbgBreakMode, true, SolutionIn(L"Sample"), nullptr, L"the debugger is in break mode"},
        {"no solution open", dbgDesignMode, false, SolutionIn(L"Sample"), nullptr, L"no solution is open"},
        {"no solution open and no name", dbgDesignMode, false, L"", nullptr, L"no solution is open"},
        {"folder deleted since", dbgDesignMode, true, SolutionIn(L"Gone"), nullptr,
         noFolder + L"\"" + folder.Path() + L"\\Gone\""},
        {"path names a file", dbgDesignMode, true, folder.Path() + L"\\notes.txt\\Sample.sln", nullptr,
         noFolder + L"\"" + folder.Path() + L"\\notes.txt\""},
        {"name ends in a backslash", dbgDesignMode, true, sample + L"\\", sample.c_str(), L""},
        {"drive root", dbgDesignMode, true, L"C:\\Sample.sln", L"C:", L""},
        {"name without a backslash", dbgDesignMode, true, L"Sample.sln", nullptr, noCut + L"\"Sample.sln\""},
        {"empty name of an unsaved solution", dbgDesignMode, true, L"", nullptr, noCut + L"\"\""},
        {"share that does not exist", dbgDesignMode, true, L"\\\\velmora-no-host\\share\\Sample.sln", nullptr,
         noFolder + L"\"\\\\velmora-no-host\\share\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.SetDebuggerMode(c.mode);
        host.SetSolutionOpen(c.open);
        host.SetSolutionFullName(c.fullName);
        debug.Take();
        int result = Run();
        if (c.opened) {
            EXPECT_EQ(result, 0);
            ASSERT_EQ(launches.Records().size(), 1u);
            EXPECT_EQ(launches.Records()[0].file, c.opened);
            EXPECT_TRUE(debug.Take().empty());
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_TRUE(launches.Records().empty());
            ASSERT_TRUE(debug.Listening());
            EXPECT_EQ(debug.Take(), std::vector<std::wstring>{L"Velmora: ProjectExplorer: " + c.reason});
        }
    }
}

TEST_F(ProjectExplorerTest, NetworkShareFolderIsPassedUnchangedApartFromTheCut) {
    UncShare share;
    if (!share.Ready()) GTEST_SKIP() << "no network share to test with";
    host.SetSolutionFullName(share.Folder() + L"\\Sample.sln");
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(launches.Records().size(), 1u);
    EXPECT_EQ(launches.Records()[0].file, share.Folder());
}

TEST_F(ProjectExplorerTest, ShellGetsAPlainRequestForTheFolder) {
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(launches.Records().size(), 1u);
    const host::LaunchRecord& request = launches.Records()[0];
    EXPECT_EQ(request.cbSize, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(request.fMask, 0u);
    EXPECT_EQ(request.hwnd, nullptr);
    EXPECT_TRUE(request.hasVerb);
    EXPECT_TRUE(request.hasFile);
    EXPECT_EQ(request.file, folder.Path() + L"\\Sample");
    EXPECT_FALSE(request.hasParameters);
    EXPECT_FALSE(request.hasDirectory);
    EXPECT_TRUE(request.idList.empty());
    EXPECT_EQ(request.nShow, SW_SHOWNORMAL);
}

TEST_F(ProjectExplorerTest, AsksTheHostInOrderAndReleasesEverything) {
    host.ClearCalls();
    EXPECT_EQ(Run(), 0);
    const std::vector<std::wstring> expected = {L"Application.Debugger", L"Debugger.CurrentMode",
                                                L"Application.Solution", L"Solution.IsOpen", L"Solution.FullName"};
    EXPECT_EQ(host.InvokedMembers(), expected);
}

TEST_F(ProjectExplorerTest, AnyFailingHostCallOpensNothing) {
    const struct {
        const wchar_t* member;
        bool empty;  // succeed without a result instead of failing
        bool opens;
    } cases[] = {
        {L"Debugger", false, false}, {L"Debugger", true, false}, {L"CurrentMode", false, false},
        // An empty answer reads as mode 0, which is not break mode.
        {L"CurrentMode", true, true}, {L"Solution", false, false}, {L"Solution", true, false},
        {L"IsOpen", false, false},    {L"IsOpen", true, false},    {L"FullName", false, false},
        {L"FullName", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.member) + (c.empty ? " gives nothing" : " fails"));
        host.ClearInjections();
        if (c.empty) {
            host.EmptyMember(c.member);
        } else {
            host.FailMember(c.member, E_FAIL);
        }
        EXPECT_EQ(Run(), c.opens ? 0 : -1);
        EXPECT_EQ(launches.Records().size(), c.opens ? 1u : 0u);
    }
    host.ClearInjections();
    EXPECT_EQ(Run(), 0) << "the folder opens again once the host answers";
}

TEST_F(ProjectExplorerTest, ExecRunsTheCommandByItsFullName) {
    ExecResult result = addIn.Exec(FullCommandName(L"ProjectExplorer"));
    EXPECT_EQ(result.result, S_OK);
    EXPECT_EQ(result.handled, VARIANT_TRUE);
    ASSERT_EQ(launches.Records().size(), 1u);
    EXPECT_EQ(launches.Records()[0].file, folder.Path() + L"\\Sample");

    launches.Clear();
    host.SetDebuggerMode(dbgBreakMode);
    result = addIn.Exec(FullCommandName(L"projectexplorer"));
    EXPECT_EQ(result.result, S_OK);
    EXPECT_TRUE(launches.Records().empty());
}

// The verb follows the keys as the thread read them with the input that
// ran the command: Shift or the right mouse button ask for a plain folder
// window. The keys are pressed for real, as input to the display.
TEST_F(ProjectExplorerTest, VerbFollowsShiftAndTheRightButtonHeldDown) {
    ForegroundWindow window;
    ASSERT_TRUE(window.IsForeground()) << "keyboard input would not reach this thread";
    const struct {
        const char* what;
        std::vector<int> held;
        const wchar_t* verb;
    } cases[] = {
        {"nothing held", {}, L"explore"},
        {"Shift held", {VK_SHIFT}, L"Open"},
        {"right button held", {VK_RBUTTON}, L"Open"},
        {"Shift and right button held", {VK_SHIFT, VK_RBUTTON}, L"Open"},
        {"Control held", {VK_CONTROL}, L"explore"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::unique_ptr<HeldInput>> held;
        for (int key : c.held) {
            held.push_back(std::make_unique<HeldInput>(key, window));
            ASSERT_TRUE(held.back()->Held()) << "the thread never read the press of key " << key;
        }
        for (int key : {VK_SHIFT, VK_RBUTTON}) {
            bool wanted = std::find(c.held.begin(), c.held.end(), key) != c.held.end();
            ASSERT_EQ(KeyIsDown(key), wanted) << "key " << key << " is in the wrong state before the command";
        }
        launches.Clear();
        ExecResult result = addIn.Exec(FullCommandName(L"ProjectExplorer"));
        EXPECT_EQ(result.result, S_OK);
        ASSERT_EQ(launches.Records().size(), 1u);
        EXPECT_EQ(launches.Records()[0].verb, c.verb);
    }
    EXPECT_FALSE(KeyIsDown(VK_SHIFT));
    EXPECT_FALSE(KeyIsDown(VK_RBUTTON));
}

// A press that happened but that the thread has not read yet does not
// count: the command answers the input that ran it, not the keyboard now.
TEST_F(ProjectExplorerTest, VerbIgnoresAPressTheThreadHasNotRead) {
    ForegroundWindow window;
    ASSERT_TRUE(window.IsForeground());
    ASSERT_TRUE(SendKey(VK_SHIFT, false));
    ASSERT_TRUE(GetAsyncKeyState(VK_SHIFT) & 0x8000) << "the press did not reach the display";
    ExecResult result = addIn.Exec(FullCommandName(L"ProjectExplorer"));
    SendKey(VK_SHIFT, true);
    PumpMessages(1000, [] { return !KeyIsDown(VK_SHIFT) && !(GetAsyncKeyState(VK_SHIFT) & 0x8000); });
    EXPECT_EQ(result.result, S_OK);
    ASSERT_EQ(launches.Records().size(), 1u);
    EXPECT_EQ(launches.Records()[0].verb, L"explore");
}

TEST_F(ProjectExplorerTest, WithoutAHostNothingOpens) {
    ComPtr<IDTExtensibility2> bare;
    ASSERT_EQ(CreateConnect(bare), S_OK);
    auto& object = *static_cast<velmora::Connect*>(bare.Get());
    EXPECT_EQ(object.ProjectExplorer(), -1);
    EXPECT_TRUE(launches.Records().empty());
}

}  // namespace
}  // namespace velmora::test
