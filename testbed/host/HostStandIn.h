#pragma once
// A stand-in for the IDE that loads the add-in: the part of the host's
// automation model the add-in calls, as COM objects answering IDispatch by
// member name. Tests and the demo build one HostStandIn, hand its Application
// and AddIn objects to the add-in's OnConnection and then drive the add-in
// while they switch the host's state, inject failures and read back what the
// add-in asked of the host.
//
// Reference counting: the stand-in owns every object it creates and counts
// only the references others take. After any call into the add-in,
// HeldObjects() lists the objects still referenced from outside; the
// Application and AddIn objects, which a connected add-in keeps by design, are
// reported separately. A Release without a matching reference is recorded as
// an over-release instead of destroying the object. Objects still referenced
// when the stand-in goes away live on until their last Release.
//
// All calls are expected on one thread (the host's user-interface thread).
#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora::host {

class HostObject;

enum class ObjectKind {
    Application,
    AddIn,
    Commands,
    Command,
    Debugger,
    Solution,
    Window,
    Document,
    TextSelection,
    Selection,  // a document's selection that is not a text selection
    VirtualPoint,
};

// "Application", "Commands", ... as used in logs and messages.
const wchar_t* KindName(ObjectKind kind);

enum class CallType {
    Lookup,  // GetIDsOfNames
    Invoke,
};

struct HostCall {
    ObjectKind object;
    std::wstring member;  // as the caller spelled it for a lookup; the published name for an invoke
    CallType type;
    HRESULT result;
};

// One Commands.AddNamedCommand call as the host received it. Fields of
// arguments that were missing or of the wrong type keep their defaults.
struct AddNamedCommandCall {
    IDispatch* addInInstance = nullptr;  // pointer identity only; never dereferenced
    bool addInInstanceIsHostAddIn = false;
    std::wstring name;
    std::wstring buttonText;
    std::wstring tooltip;
    VARIANT_BOOL msoButton = VARIANT_FALSE;  // the raw value, so that 1 is told from VARIANT_TRUE
    long bitmap = 0;
    bool contextGuidsNull = false;  // the by-reference array pointed at a null SAFEARRAY
    long disabledFlags = 0;
    bool resultRequested = false;  // the caller passed a result VARIANT
    HRESULT result = S_OK;
    bool commandCreated = false;
};

// A command that exists in the host.
struct HostCommand {
    std::wstring fullName;  // "<add-in ProgID>.<name>"
    std::wstring name;
    std::wstring buttonText;
    std::wstring tooltip;
};

enum class PasteOutcome {
    Pasted,          // the clipboard's Unicode text replaced the selection
    NoUnicodeText,   // the clipboard held no Unicode text: nothing changed
    ClipboardBusy,   // the clipboard stayed open elsewhere for the whole wait
    ReadOnly,        // the document is read-only: nothing changed
    Injected,        // Paste was set to fail or to do nothing
};

struct PasteRecord {
    PasteOutcome outcome;
    std::wstring text;  // what was pasted (Pasted only)
};

// An object still referenced from outside the stand-in.
struct HeldObject {
    ObjectKind kind;
    ULONG references;
};

// One version of the IDE that the stand-in can play, by the number under
// which that IDE keeps its registry keys ("7.0" ... "12.0").
struct HostVersion {
    const wchar_t* registryVersion;
    const wchar_t* dteVersion;  // what DTE.Version answers: "7.00", "7.10", then "8.0" ...
    // From 8.0 on the IDE keeps an add-in's named commands from one start to
    // the next and refuses to create a name it already holds.
    bool keepsCommands;
};

// The versions the stand-in plays, oldest first.
const std::vector<HostVersion>& HostVersions();

class HostStandIn {
public:
    // Builds the whole object graph: a design-mode debugger, an open solution
    // "C:\\Projects\\Sample\\Sample.sln", an active window showing a writable
    // text document "Sample.cpp" that is empty, with the caret at its start
    // and the anchor in column 1. It plays the IDE 7.1.
    HostStandIn();
    // A start of the IDE `registryVersion` (one of HostVersions(), else
    // std::invalid_argument) that holds the commands an earlier start left
    // (CommandsForNextStart of that start). An IDE that keeps commands
    // refuses duplicates from the start (SetRefuseDuplicateCommands, E_FAIL).
    explicit HostStandIn(const std::wstring& registryVersion, std::vector<HostCommand> commandsFromLastStart = {});
    ~HostStandIn();
    HostStandIn(const HostStandIn&) = delete;
    HostStandIn& operator=(const HostStandIn&) = delete;

    // The objects to pass to OnConnection. Borrowed: no reference is added.
    IDispatch* Application() const;
    IDispatch* AddIn() const;

    // --- Host state -----------------------------------------------------
    void SetApplicationAnswersDte(bool answers);  // QueryInterface for IID_DTE
    void SetAddInAnswersAddIn(bool answers);      // QueryInterface for IID_AddIn
    void SetAddInProgId(std::wstring progId);     // prefix of the commands' full names
    void SetDebuggerMode(long mode);              // 1 design, 2 break, 3 run
    void SetSolutionOpen(bool open);
    void SetSolutionFullName(std::wstring fullName);
    void SetActiveWindow(bool present);           // ActiveWindow gives null when absent
    void SetWindowHasDocument(bool hasDocument);  // Window.Document gives null when false

    // The document. Text and selection are in UTF-16 units; a selection that
    // does not fit the text throws std::out_of_range.
    void SetDocumentName(std::wstring name);
    void SetDocumentReadOnly(bool readOnly);
    void SetDocumentText(std::wstring text);  // selection becomes the caret at the end
    void SetSelection(size_t start, size_t length);
    void SetDocument(std::wstring text, size_t selectionStart, size_t selectionLength);
    void SetAnchorColumn(long displayColumn);  // 1-based; Paste leaves it unchanged
    void SetTextSelection(bool isText);        // false: the selection does not know Paste

    std::wstring DocumentText() const;
    size_t SelectionStart() const;
    size_t SelectionLength() const;
    std::wstring SelectedText() const;

    // --- Failure injection, by published member name -----------------------
    // From the fromCall-th invocation of the member on (counted from now; 1 is
    // the next call), FailMember makes it fail with `result` (a failure code);
    // EmptyMember makes it succeed with `result` (a success code) and an empty
    // value: a null object for object members, VT_EMPTY for values, nothing
    // done for methods (AddNamedCommand creates no command, Paste leaves the
    // document as it is). Calls that fail the argument checks are not counted.
    // Setting an injection again for the same member replaces it and restarts
    // its count. An unknown member name throws std::invalid_argument.
    void FailMember(const std::wstring& member, HRESULT result, int fromCall = 1);
    void EmptyMember(const std::wstring& member, int fromCall = 1, HRESULT result = S_OK);
    void ClearInjections();

    // --- What the add-in asked -------------------------------------------
    const std::vector<HostCall>& Calls() const;
    // The invoked members in order, each as "Kind.Member" ("Debugger.CurrentMode").
    std::vector<std::wstring> InvokedMembers() const;
    void ClearCalls();

    // In "refuse duplicates" mode, AddNamedCommand for a name whose full name
    // already exists (compared case-insensitively) fails with `result` and
    // creates no command, as a host does when an add-in connects again.
    void SetRefuseDuplicateCommands(bool refuse, HRESULT result = E_FAIL);
    const std::vector<AddNamedCommandCall>& AddNamedCommandCalls() const;
    std::vector<HostCommand> Commands() const;
    // What the next start of this IDE holds: every command for a version
    // that keeps them, none for one that does not.
    std::vector<HostCommand> CommandsForNextStart() const;
    const HostVersion& Version() const;
    bool HasCommand(const std::wstring& fullName) const;  // case-insensitive
    void ClearCommandRecords();  // forgets the calls; the commands stay

    const std::vector<PasteRecord>& Pastes() const;
    void ClearPastes();

    // --- References -------------------------------------------------------
    // Objects other than Application and AddIn that are referenced from
    // outside, in creation order.
    std::vector<HeldObject> HeldObjects() const;
    ULONG ApplicationReferences() const;
    ULONG AddInReferences() const;
    // Each Release that found no outside reference to drop, by object kind.
    std::vector<ObjectKind> OverReleases() const;
    // HeldObjects, the two counts and OverReleases as one line, for messages.
    std::wstring DescribeReferences() const;

private:
    friend class HostObject;
    struct Model;
    std::shared_ptr<Model> model_;
};

}  // namespace velmora::host
