#include "guid/GuidTestSupport.h"

#include <objbase.h>
#include <shlobj.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "framework/UniqueHandle.h"

namespace velmora::test {

const wchar_t kGuidDialogTitle[] = L"GUIDの選択と貼り付け";

GUID ExampleGuid() { return MakeGuid(0x0A1B2C3D, 0x4E5F, 0x6A7B, 0x089DAEBFC0D1E2F3); }

const wchar_t* const kExampleTexts[5] = {
    L"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
    L"IMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n"
    L"0xa1b2c3d, 0x4e5f, 0x6a7b, 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3);\r\n",
    L"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
    L"DEFINE_GUID(<<name>>, \r\n"
    L"0xa1b2c3d, 0x4e5f, 0x6a7b, 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3);\r\n",
    L"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
    L"static const GUID <<name>> = \r\n"
    L"{ 0xa1b2c3d, 0x4e5f, 0x6a7b, { 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3 } };\r\n",
    L"{0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n",
    L"0A1B2C3D_4E5F_6a7b_089D_AEBFC0D1E2F3",
};

GUID OtherGuid() { return MakeGuid(0xF0E1D2C3, 0xB4A5, 0x96AB, 0x78695A4B3C2D1E0F); }

const wchar_t kOtherRegistryText[] = L"{F0E1D2C3-B4A5-96ab-7869-5A4B3C2D1E0F}\r\n";
const wchar_t kOtherUnderscoreText[] = L"F0E1D2C3_B4A5_96ab_7869_5A4B3C2D1E0F";

// --- ScriptedGenerator ---

namespace {
std::vector<GeneratorStep> scriptedSteps;
std::atomic<int> scriptedCalls{0};
using GuidFunction = HRESULT(WINAPI*)(GUID*);
GuidFunction systemGuid = nullptr;

HRESULT WINAPI ScriptedGuid(GUID* out) {
    const int call = scriptedCalls++;
    if (call >= static_cast<int>(scriptedSteps.size())) return systemGuid(out);
    const GeneratorStep& step = scriptedSteps[static_cast<size_t>(call)];
    if (!IsEqualGUID(step.value, GUID_NULL)) *out = step.value;
    return step.result;
}
}  // namespace

ScriptedGenerator::ScriptedGenerator(std::vector<GeneratorStep> steps) {
    scriptedSteps = std::move(steps);
    scriptedCalls = 0;
    // Set before the patch goes in: the replacement may call through it at once.
    systemGuid = &CoCreateGuid;
    patch_ = std::make_unique<host::ImportPatch>(GetModuleHandleW(nullptr), "ole32.dll", "CoCreateGuid",
                                                 reinterpret_cast<void*>(&ScriptedGuid));
    if (!patch_->Installed()) ADD_FAILURE() << "cannot replace this program's calls of CoCreateGuid";
}

ScriptedGenerator::~ScriptedGenerator() {
    patch_.reset();
    scriptedSteps.clear();
}

int ScriptedGenerator::Calls() const { return scriptedCalls; }

GUID MakeGuid(unsigned long data1, unsigned short data2, unsigned short data3, unsigned long long data4) {
    GUID guid{};
    guid.Data1 = data1;
    guid.Data2 = data2;
    guid.Data3 = data3;
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<unsigned char>(data4 >> (8 * (7 - i)));
    return guid;
}

// --- GuidDialog ---

HWND GuidDialog::FocusTarget() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == window_ || IsChild(window_, info.hwndFocus))) {
        return info.hwndFocus;
    }
    return window_;
}

void GuidDialog::Click(int id) const { SendMessageW(GetDlgItem(window_, id), BM_CLICK, 0, 0); }

void GuidDialog::PressKey(UINT virtualKey) const { popup::PostKey(FocusTarget(), virtualKey); }

void GuidDialog::TypeChar(wchar_t character) const { PostMessageW(FocusTarget(), WM_CHAR, character, 1); }

void GuidDialog::AltChar(wchar_t character) const {
    PostMessageW(FocusTarget(), WM_SYSCHAR, character, 1 | (1 << 29));
}

void GuidDialog::CloseBox() const { PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0); }

std::wstring GuidDialog::ResultText() const { return popup::ItemText(window_, 210); }

std::wstring GuidDialog::Title() const { return popup::WindowText(window_); }

int GuidDialog::CheckedFormat() const {
    int found = -1;
    for (int format = 0; format < 5; ++format) {
        if (SendDlgItemMessageW(window_, 205 + format, BM_GETCHECK, 0, 0) != BST_CHECKED) continue;
        if (found != -1) return -2;
        found = format;
    }
    return found;
}

}  // namespace velmora::test
