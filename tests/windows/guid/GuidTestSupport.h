#pragma once
// What the GUID tests share: GuidSet.ini in the configuration folder, a
// scripted GUID generator, and a
// helper thread that drives the GUID dialog while the add-in's modal loop runs.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testbed/host/ImportPatch.h"
#include "testbed/fixtures/ConfigFolderFiles.h"
#include "testbed/fixtures/PopUpDriver.h"
#include "support/AppDataRedirect.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {

// GuidSet.ini in the configuration folder for one test: absent at the start,
// and the configuration folder as it was at the end.
class GuidSetFile : public ConfigFolderFiles {
public:
    std::wstring Path() const { return ConfigFolderFiles::Path(L"GuidSet.ini"); }
    void Write(const std::string& bytes) { ConfigFolderFiles::Write(L"GuidSet.ini", bytes); }
    std::optional<std::string> Read() const { return ConfigFolderFiles::Read(L"GuidSet.ini"); }
    void Remove() const { ConfigFolderFiles::Remove(L"GuidSet.ini"); }
};

// One answer of the scripted GUID generator: the GUID it writes (GUID_NULL
// writes nothing) and the result code it returns.
struct GeneratorStep {
    GUID value;
    HRESULT result;
};

// Takes CoCreateGuid's place in this program's import table for its
// lifetime, so the add-in's code meets it: the n-th call gets the n-th step;
// once the steps are used up, calls go to CoCreateGuid.
class ScriptedGenerator {
public:
    explicit ScriptedGenerator(std::vector<GeneratorStep> steps);
    ~ScriptedGenerator();
    ScriptedGenerator(const ScriptedGenerator&) = delete;
    ScriptedGenerator& operator=(const ScriptedGenerator&) = delete;
    int Calls() const;

private:
    std::unique_ptr<host::ImportPatch> patch_;
};

// Fields as GUID literals read: {data1-data2-data3-data4[0..1]-data4[2..7]}.
GUID MakeGuid(unsigned long data1, unsigned short data2, unsigned short data3, unsigned long long data4);

// The GUID dialog as a user sees it, driven from a helper thread.
class GuidDialog {
public:
    explicit GuidDialog(HWND window) : window_(window) {}
    HWND Window() const { return window_; }

    // A mouse click on a control (BM_CLICK: the button's own press and release).
    void Click(int id) const;
    // A key pressed and released on the focused control, through the
    // dialog's message loop.
    void PressKey(UINT virtualKey) const;
    // A character typed on the focused control (a mnemonic without Alt).
    void TypeChar(wchar_t character) const;
    // Alt and a character together (WM_SYSCHAR).
    void AltChar(wchar_t character) const;
    // The close box of the caption.
    void CloseBox() const;

    std::wstring ResultText() const;           // control 210
    std::wstring Title() const;
    // The format whose radio button is checked; -1 for none, -2 for several.
    int CheckedFormat() const;
    bool IsOpen() const { return IsWindow(window_) != FALSE; }
    bool IsVisible() const { return IsWindowVisible(window_) != FALSE; }

    // Waits until `condition` holds, tested each time the dialog's thread
    // has handled a message.
    bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = popup::kWaitMs) const {
        return popup::WaitOnWindow(window_, condition, timeoutMs);
    }

private:
    HWND FocusTarget() const;
    HWND window_;
};

extern const wchar_t kGuidDialogTitle[];

// Plays the user on the GUID dialog of one call on this thread: `script` runs
// once on the visible dialog; a dialog still open afterwards is cancelled.
class DialogDriver {
public:
    using Script = std::function<void(GuidDialog&)>;
    explicit DialogDriver(const Script& script)
        : driver_([this, script](HWND window) {
              GuidDialog dialog(window);
              title_ = dialog.Title();
              script(dialog);
          }) {}

    // After the call: stops watching and waits for the helper thread.
    void Finish() { outcome_ = driver_.Finish(); }
    // A dialog with the GUID dialog's title came.
    bool Appeared() const { return outcome_.appeared && title_ == kGuidDialogTitle; }
    bool ClosedByScript() const { return outcome_.closedByUser; }

private:
    std::wstring title_;
    popup::PopUpOutcome outcome_;
    popup::PopUpDriver driver_;  // last: its helper thread uses the members above
};

// {0A1B2C3D-4E5F-6A7B-089D-AEBFC0D1E2F3} and its text in each format, as a
// user expects to find it in the document.
GUID ExampleGuid();
extern const wchar_t* const kExampleTexts[5];

// A GUID that differs from the example in every field:
// {F0E1D2C3-B4A5-96AB-7869-5A4B3C2D1E0F}; its registry and underscore forms.
GUID OtherGuid();
extern const wchar_t kOtherRegistryText[];
extern const wchar_t kOtherUnderscoreText[];

}  // namespace velmora::test
