#include "testbed/host/HostStandIn.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <stdexcept>
#include <utility>

#include "testbed/host/ClipboardText.h"
#include "platform/DteInterfaces.h"

namespace velmora::host {

namespace {

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

// The published members, each with the object kind that has it. DISPIDs are
// unique across kinds, so a DISPID used on the wrong object is not found.
enum MemberId : DISPID {
    kCommands = 1,
    kDebugger,
    kSolution,
    kActiveWindow,
    kAddNamedCommand,
    kCurrentMode,
    kIsOpen,
    kFullName,
    kDocument,
    kReadOnly,
    kSelection,
    kName,
    kAnchorPoint,
    kPaste,
    kDisplayColumn,
    kVersion,
};

enum class Shape {
    ObjectProperty,  // property get giving VT_DISPATCH
    ValueProperty,   // property get giving a value
    Method,
};

struct Member {
    const wchar_t* name;
    MemberId id;
    ObjectKind kind;
    Shape shape;
};

const Member kMembers[] = {
    {L"Commands", kCommands, ObjectKind::Application, Shape::ObjectProperty},
    {L"Debugger", kDebugger, ObjectKind::Application, Shape::ObjectProperty},
    {L"Solution", kSolution, ObjectKind::Application, Shape::ObjectProperty},
    {L"ActiveWindow", kActiveWindow, ObjectKind::Application, Shape::ObjectProperty},
    {L"Version", kVersion, ObjectKind::Application, Shape::ValueProperty},
    {L"AddNamedCommand", kAddNamedCommand, ObjectKind::Commands, Shape::Method},
    {L"CurrentMode", kCurrentMode, ObjectKind::Debugger, Shape::ValueProperty},
    {L"IsOpen", kIsOpen, ObjectKind::Solution, Shape::ValueProperty},
    {L"FullName", kFullName, ObjectKind::Solution, Shape::ValueProperty},
    {L"Document", kDocument, ObjectKind::Window, Shape::ObjectProperty},
    {L"ReadOnly", kReadOnly, ObjectKind::Document, Shape::ValueProperty},
    {L"Selection", kSelection, ObjectKind::Document, Shape::ObjectProperty},
    {L"Name", kName, ObjectKind::Document, Shape::ValueProperty},
    {L"AnchorPoint", kAnchorPoint, ObjectKind::TextSelection, Shape::ObjectProperty},
    {L"Paste", kPaste, ObjectKind::TextSelection, Shape::Method},
    {L"DisplayColumn", kDisplayColumn, ObjectKind::VirtualPoint, Shape::ValueProperty},
};

const Member* FindMember(ObjectKind kind, const wchar_t* name) {
    for (const Member& member : kMembers) {
        if (member.kind == kind && EqualsIgnoringCase(name, member.name)) return &member;
    }
    return nullptr;
}

const Member* FindMember(ObjectKind kind, DISPID id) {
    for (const Member& member : kMembers) {
        if (member.kind == kind && member.id == id) return &member;
    }
    return nullptr;
}

// By a plain pointer, not a std::wstring: a reference into kMembers returned
// from a temporary string argument reads as dangling to newer compilers.
const Member& KnownMember(const wchar_t* name) {
    for (const Member& member : kMembers) {
        if (std::wcscmp(name, member.name) == 0) return member;
    }
    throw std::invalid_argument("HostStandIn: no host member of that name");
}

const HostVersion kVersions[] = {
    {L"7.0", L"7.00", false},  {L"7.1", L"7.10", false}, {L"8.0", L"8.0", true},   {L"9.0", L"9.0", true},
    {L"10.0", L"10.0", true}, {L"11.0", L"11.0", true}, {L"12.0", L"12.0", true},
};

}  // namespace

const std::vector<HostVersion>& HostVersions() {
    static const std::vector<HostVersion> versions(std::begin(kVersions), std::end(kVersions));
    return versions;
}

const wchar_t* KindName(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Application: return L"Application";
        case ObjectKind::AddIn: return L"AddIn";
        case ObjectKind::Commands: return L"Commands";
        case ObjectKind::Command: return L"Command";
        case ObjectKind::Debugger: return L"Debugger";
        case ObjectKind::Solution: return L"Solution";
        case ObjectKind::Window: return L"Window";
        case ObjectKind::Document: return L"Document";
        case ObjectKind::TextSelection: return L"TextSelection";
        case ObjectKind::Selection: return L"Selection";
        case ObjectKind::VirtualPoint: return L"VirtualPoint";
    }
    return L"?";
}


class HostObject;

struct Injection {
    HRESULT result;
    bool empty;  // succeed with an empty value instead of failing
    int fromCall;
    int calls = 0;
};

struct HostStandIn::Model : std::enable_shared_from_this<HostStandIn::Model> {
    // Every object made, in creation order. The stand-in's ownership of each
    // is the object's `owned` flag, not a counted reference.
    std::vector<HostObject*> objects;
    bool detached = false;  // the HostStandIn is gone; surviving objects refuse calls

    HostObject* application = nullptr;
    HostObject* addIn = nullptr;
    HostObject* commands = nullptr;
    HostObject* debugger = nullptr;
    HostObject* solution = nullptr;
    HostObject* window = nullptr;
    HostObject* document = nullptr;
    HostObject* textSelection = nullptr;
    HostObject* otherSelection = nullptr;
    HostObject* virtualPoint = nullptr;

    const HostVersion* version = &kVersions[1];
    bool answersDte = true;
    bool answersAddIn = true;
    std::wstring progId = L"Velmora.Connect";
    long debuggerMode = dbgDesignMode;
    bool solutionOpen = true;
    std::wstring solutionFullName = L"C:\\Projects\\Sample\\Sample.sln";
    bool activeWindow = true;
    bool windowHasDocument = true;
    std::wstring documentName = L"Sample.cpp";
    bool readOnly = false;
    std::wstring text;
    size_t selectionStart = 0;
    size_t selectionLength = 0;
    long anchorColumn = 1;
    bool isTextSelection = true;

    std::vector<std::pair<std::wstring, Injection>> injections;
    std::vector<HostCall> calls;
    bool refuseDuplicates = false;
    HRESULT refuseResult = E_FAIL;
    std::vector<AddNamedCommandCall> addNamedCommandCalls;
    std::vector<HostCommand> commandList;
    std::vector<PasteRecord> pastes;
    std::vector<ObjectKind> overReleases;

    HostObject* Make(ObjectKind kind);
    void Build();
    void Detach();

    HRESULT Invoke(const Member& member, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);
    HRESULT AddNamedCommand(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError);
    HRESULT Paste();
    HRESULT PropertyValue(const Member& member, VARIANT* result);
    // The injection that applies to this call of `member`, if any; counts the call.
    const Injection* InjectionFor(const Member& member);
    bool HasCommand(const std::wstring& fullName) const;
};

// One host object. It answers IDispatch for the members of its kind; the
// model does the work.
class HostObject final : public IDispatch {
public:
    HostObject(std::shared_ptr<HostStandIn::Model> model, ObjectKind kind) : model_(std::move(model)), kind_(kind) {}
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    ObjectKind Kind() const { return kind_; }
    ULONG ExternalReferences() const { return external_; }

    // The stand-in gives up its ownership; the object goes with its last
    // outside reference.
    void Disown() {
        owned_ = false;
        if (external_ == 0) delete this;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        bool answers = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch);
        if (kind_ == ObjectKind::Application && IsEqualIID(riid, IID_DTE)) answers = model_->answersDte;
        if (kind_ == ObjectKind::AddIn && IsEqualIID(riid, IID_AddIn)) answers = model_->answersAddIn;
        if (!answers) return E_NOINTERFACE;
        // The host's interfaces are dual: the one vtable serves as IDispatch.
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        ++external_;
        return external_ + (owned_ ? 1 : 0);
    }

    ULONG STDMETHODCALLTYPE Release() override {
        if (external_ == 0) {
            // A reference dropped that was never taken: keep the object and
            // report it, rather than a use-after-free somewhere later.
            if (!model_->detached) model_->overReleases.push_back(kind_);
            return owned_ ? 1 : 0;
        }
        --external_;
        if (external_ == 0 && !owned_) {
            delete this;
            return 0;
        }
        return external_ + (owned_ ? 1 : 0);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        return DISP_E_BADINDEX;
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (model_->detached) return RPC_E_DISCONNECTED;
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (!names || !ids) return E_POINTER;
        if (count == 0) return E_INVALIDARG;
        HRESULT hr = S_OK;
        const Member* member = names[0] ? FindMember(kind_, names[0]) : nullptr;
        ids[0] = member ? static_cast<DISPID>(member->id) : DISPID_UNKNOWN;
        if (!member) hr = DISP_E_UNKNOWNNAME;
        // No member takes named arguments.
        for (UINT i = 1; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            hr = DISP_E_UNKNOWNNAME;
        }
        model_->calls.push_back({kind_, names[0] ? names[0] : L"", CallType::Lookup, hr});
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argError) override {
        if (model_->detached) return RPC_E_DISCONNECTED;
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const Member* member = FindMember(kind_, id);
        if (!member) {
            model_->calls.push_back(
                {kind_, L"#" + std::to_wstring(id), CallType::Invoke, static_cast<HRESULT>(DISP_E_MEMBERNOTFOUND)});
            return DISP_E_MEMBERNOTFOUND;
        }
        const size_t entry = model_->calls.size();
        model_->calls.push_back({kind_, member->name, CallType::Invoke, S_OK});
        HRESULT hr = model_->Invoke(*member, flags, params, result, argError);
        model_->calls[entry].result = hr;
        return hr;
    }

private:
    ~HostObject() = default;

    std::shared_ptr<HostStandIn::Model> model_;
    ObjectKind kind_;
    ULONG external_ = 0;
    bool owned_ = true;
};

namespace {

HRESULT PutObject(VARIANT* result, HostObject* object) {
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    if (object) object->AddRef();
    return S_OK;
}

HRESULT PutString(VARIANT* result, const std::wstring& text) {
    VariantInit(result);
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!value) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = value;
    return S_OK;
}

HRESULT PutBool(VARIANT* result, bool value) {
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT PutLong(VARIANT* result, long value) {
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
}

}  // namespace

HostObject* HostStandIn::Model::Make(ObjectKind kind) {
    auto* object = new HostObject(shared_from_this(), kind);
    objects.push_back(object);
    return object;
}

void HostStandIn::Model::Build() {
    application = Make(ObjectKind::Application);
    addIn = Make(ObjectKind::AddIn);
    commands = Make(ObjectKind::Commands);
    debugger = Make(ObjectKind::Debugger);
    solution = Make(ObjectKind::Solution);
    window = Make(ObjectKind::Window);
    document = Make(ObjectKind::Document);
    textSelection = Make(ObjectKind::TextSelection);
    otherSelection = Make(ObjectKind::Selection);
    virtualPoint = Make(ObjectKind::VirtualPoint);
}

void HostStandIn::Model::Detach() {
    detached = true;
    // Disowning may destroy an object, and with it a reference to this model;
    // the caller still holds one.
    std::vector<HostObject*> owned;
    owned.swap(objects);
    for (HostObject* object : owned) object->Disown();
}

const Injection* HostStandIn::Model::InjectionFor(const Member& member) {
    for (auto& [name, injection] : injections) {
        if (name == member.name) {
            ++injection.calls;
            return injection.calls >= injection.fromCall ? &injection : nullptr;
        }
    }
    return nullptr;
}

bool HostStandIn::Model::HasCommand(const std::wstring& fullName) const {
    return std::any_of(commandList.begin(), commandList.end(), [&](const HostCommand& command) {
        return EqualsIgnoringCase(fullName, command.fullName.c_str());
    });
}

HRESULT HostStandIn::Model::Invoke(const Member& member, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   UINT* argError) {
    if (member.id == kAddNamedCommand) return AddNamedCommand(flags, params, result, argError);
    if (!params) return E_POINTER;
    const WORD wanted = member.shape == Shape::Method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
    if (!(flags & wanted)) return DISP_E_MEMBERNOTFOUND;

    // Every other member takes no argument.
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;

    if (member.id == kPaste) {
        if (result) VariantInit(result);
        if (const Injection* injection = InjectionFor(member)) {
            pastes.push_back({PasteOutcome::Injected, {}});
            return injection->result;
        }
        return Paste();
    }

    if (!result) return E_POINTER;  // a property get with nowhere to put the value
    if (const Injection* injection = InjectionFor(member)) {
        if (!injection->empty) return injection->result;
        if (member.shape == Shape::ObjectProperty) {
            PutObject(result, nullptr);
        } else {
            VariantInit(result);
        }
        return injection->result;
    }
    return PropertyValue(member, result);
}

HRESULT HostStandIn::Model::PropertyValue(const Member& member, VARIANT* result) {
    switch (member.id) {
        case kCommands: return PutObject(result, commands);
        case kDebugger: return PutObject(result, debugger);
        case kSolution: return PutObject(result, solution);
        case kActiveWindow: return PutObject(result, activeWindow ? window : nullptr);
        case kCurrentMode: return PutLong(result, debuggerMode);
        case kIsOpen: return PutBool(result, solutionOpen);
        case kFullName: return PutString(result, solutionFullName);
        case kDocument: return PutObject(result, windowHasDocument ? document : nullptr);
        case kReadOnly: return PutBool(result, readOnly);
        case kSelection: return PutObject(result, isTextSelection ? textSelection : otherSelection);
        case kName: return PutString(result, documentName);
        case kAnchorPoint: return PutObject(result, virtualPoint);
        case kDisplayColumn: return PutLong(result, anchorColumn);
        case kVersion: return PutString(result, version->dteVersion);
        case kAddNamedCommand:
        case kPaste: break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT HostStandIn::Model::AddNamedCommand(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError) {
    addNamedCommandCalls.emplace_back();
    const size_t index = addNamedCommandCalls.size() - 1;
    AddNamedCommandCall& call = addNamedCommandCalls[index];
    call.resultRequested = result != nullptr;
    if (result) VariantInit(result);
    auto finish = [&](HRESULT hr) {
        addNamedCommandCalls[index].result = hr;
        return hr;
    };

    if (!(flags & DISPATCH_METHOD)) return finish(DISP_E_MEMBERNOTFOUND);
    if (!params) return finish(E_POINTER);
    if (params->cNamedArgs != 0) return finish(DISP_E_NONAMEDARGS);
    constexpr UINT kCount = 8;
    if (params->cArgs != kCount) return finish(DISP_E_BADPARAMCOUNT);
    if (!params->rgvarg) return finish(E_POINTER);

    // DISPPARAMS holds the arguments last to first.
    auto argument = [&](UINT published) -> const VARIANTARG& { return params->rgvarg[kCount - 1 - published]; };
    auto mismatch = [&](UINT published) {
        if (argError) *argError = kCount - 1 - published;
        return finish(DISP_E_TYPEMISMATCH);
    };
    auto string = [](const VARIANTARG& value) {
        return value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : std::wstring();
    };

    if (argument(0).vt != VT_DISPATCH) return mismatch(0);
    call.addInInstance = argument(0).pdispVal;
    call.addInInstanceIsHostAddIn = call.addInInstance && call.addInInstance == static_cast<IDispatch*>(addIn);
    for (UINT i = 1; i <= 3; ++i) {
        if (argument(i).vt != VT_BSTR) return mismatch(i);
    }
    call.name = string(argument(1));
    call.buttonText = string(argument(2));
    call.tooltip = string(argument(3));
    if (argument(4).vt != VT_BOOL) return mismatch(4);
    call.msoButton = argument(4).boolVal;
    if (argument(5).vt != VT_I4) return mismatch(5);
    call.bitmap = argument(5).lVal;
    if (argument(6).vt != (VT_BYREF | VT_ARRAY | VT_VARIANT)) return mismatch(6);
    if (!argument(6).pparray) return finish(E_POINTER);
    call.contextGuidsNull = *argument(6).pparray == nullptr;
    if (argument(7).vt != VT_I4) return mismatch(7);
    call.disabledFlags = argument(7).lVal;

    // A command belongs to the add-in whose AddIn object it is created with.
    if (!call.addInInstanceIsHostAddIn || call.name.empty()) return finish(E_INVALIDARG);

    static const Member& self = KnownMember(L"AddNamedCommand");
    if (const Injection* injection = InjectionFor(self)) {
        if (!injection->empty) return finish(injection->result);
        if (result) PutObject(result, nullptr);
        return finish(injection->result);
    }

    std::wstring fullName = progId + L"." + call.name;
    if (refuseDuplicates && HasCommand(fullName)) return finish(refuseResult);

    commandList.push_back({std::move(fullName), call.name, call.buttonText, call.tooltip});
    HostObject* command = Make(ObjectKind::Command);
    addNamedCommandCalls[index].commandCreated = true;
    if (result) PutObject(result, command);
    return finish(S_OK);
}

HRESULT HostStandIn::Model::Paste() {
    if (readOnly) {
        pastes.push_back({PasteOutcome::ReadOnly, {}});
        return E_ACCESSDENIED;
    }
    ClipboardContents clipboard = ReadClipboard();
    if (!clipboard.opened) {
        pastes.push_back({PasteOutcome::ClipboardBusy, {}});
        return CLIPBRD_E_CANT_OPEN;
    }
    if (!clipboard.hasUnicodeText) {
        pastes.push_back({PasteOutcome::NoUnicodeText, {}});
        return S_OK;
    }
    text.replace(selectionStart, selectionLength, clipboard.text);
    selectionStart += clipboard.text.size();
    selectionLength = 0;
    pastes.push_back({PasteOutcome::Pasted, std::move(clipboard.text)});
    return S_OK;
}

// --- HostStandIn --------------------------------------------------------

HostStandIn::HostStandIn() : model_(std::make_shared<Model>()) { model_->Build(); }

HostStandIn::HostStandIn(const std::wstring& registryVersion, std::vector<HostCommand> commandsFromLastStart)
    : HostStandIn() {
    const auto played = std::find_if(std::begin(kVersions), std::end(kVersions), [&](const HostVersion& version) {
        return registryVersion == version.registryVersion;
    });
    if (played == std::end(kVersions)) throw std::invalid_argument("HostStandIn: no IDE of that version");
    model_->version = played;
    model_->refuseDuplicates = played->keepsCommands;
    model_->commandList = std::move(commandsFromLastStart);
}

HostStandIn::~HostStandIn() { model_->Detach(); }

IDispatch* HostStandIn::Application() const { return model_->application; }
IDispatch* HostStandIn::AddIn() const { return model_->addIn; }

void HostStandIn::SetApplicationAnswersDte(bool answers) { model_->answersDte = answers; }
void HostStandIn::SetAddInAnswersAddIn(bool answers) { model_->answersAddIn = answers; }
void HostStandIn::SetAddInProgId(std::wstring progId) { model_->progId = std::move(progId); }
void HostStandIn::SetDebuggerMode(long mode) { model_->debuggerMode = mode; }
void HostStandIn::SetSolutionOpen(bool open) { model_->solutionOpen = open; }
void HostStandIn::SetSolutionFullName(std::wstring fullName) { model_->solutionFullName = std::move(fullName); }
void HostStandIn::SetActiveWindow(bool present) { model_->activeWindow = present; }
void HostStandIn::SetWindowHasDocument(bool hasDocument) { model_->windowHasDocument = hasDocument; }
void HostStandIn::SetDocumentName(std::wstring name) { model_->documentName = std::move(name); }
void HostStandIn::SetDocumentReadOnly(bool readOnly) { model_->readOnly = readOnly; }

void HostStandIn::SetDocumentText(std::wstring text) {
    const size_t end = text.size();
    SetDocument(std::move(text), end, 0);
}

void HostStandIn::SetSelection(size_t start, size_t length) {
    if (start > model_->text.size() || length > model_->text.size() - start) {
        throw std::out_of_range("HostStandIn: selection outside the document text");
    }
    model_->selectionStart = start;
    model_->selectionLength = length;
}

void HostStandIn::SetDocument(std::wstring text, size_t selectionStart, size_t selectionLength) {
    std::wstring previous = std::exchange(model_->text, std::move(text));
    try {
        SetSelection(selectionStart, selectionLength);
    } catch (const std::out_of_range&) {
        model_->text = std::move(previous);
        throw;
    }
}

void HostStandIn::SetAnchorColumn(long displayColumn) { model_->anchorColumn = displayColumn; }
void HostStandIn::SetTextSelection(bool isText) { model_->isTextSelection = isText; }

std::wstring HostStandIn::DocumentText() const { return model_->text; }
size_t HostStandIn::SelectionStart() const { return model_->selectionStart; }
size_t HostStandIn::SelectionLength() const { return model_->selectionLength; }
std::wstring HostStandIn::SelectedText() const {
    return model_->text.substr(model_->selectionStart, model_->selectionLength);
}

void HostStandIn::FailMember(const std::wstring& member, HRESULT result, int fromCall) {
    if (SUCCEEDED(result)) throw std::invalid_argument("HostStandIn::FailMember needs a failure code");
    const Member& known = KnownMember(member.c_str());
    for (auto& entry : model_->injections) {
        if (entry.first == known.name) {
            entry.second = {result, false, fromCall};
            return;
        }
    }
    model_->injections.push_back({known.name, {result, false, fromCall}});
}

void HostStandIn::EmptyMember(const std::wstring& member, int fromCall, HRESULT result) {
    if (FAILED(result)) throw std::invalid_argument("HostStandIn::EmptyMember needs a success code");
    const Member& known = KnownMember(member.c_str());
    for (auto& entry : model_->injections) {
        if (entry.first == known.name) {
            entry.second = {result, true, fromCall};
            return;
        }
    }
    model_->injections.push_back({known.name, {result, true, fromCall}});
}

void HostStandIn::ClearInjections() { model_->injections.clear(); }

const std::vector<HostCall>& HostStandIn::Calls() const { return model_->calls; }

std::vector<std::wstring> HostStandIn::InvokedMembers() const {
    std::vector<std::wstring> members;
    for (const HostCall& call : model_->calls) {
        if (call.type == CallType::Invoke) members.push_back(std::wstring(KindName(call.object)) + L"." + call.member);
    }
    return members;
}

void HostStandIn::ClearCalls() { model_->calls.clear(); }

void HostStandIn::SetRefuseDuplicateCommands(bool refuse, HRESULT result) {
    model_->refuseDuplicates = refuse;
    model_->refuseResult = result;
}

const std::vector<AddNamedCommandCall>& HostStandIn::AddNamedCommandCalls() const {
    return model_->addNamedCommandCalls;
}

std::vector<HostCommand> HostStandIn::Commands() const { return model_->commandList; }

std::vector<HostCommand> HostStandIn::CommandsForNextStart() const {
    return model_->version->keepsCommands ? model_->commandList : std::vector<HostCommand>{};
}

const HostVersion& HostStandIn::Version() const { return *model_->version; }

bool HostStandIn::HasCommand(const std::wstring& fullName) const { return model_->HasCommand(fullName); }

void HostStandIn::ClearCommandRecords() { model_->addNamedCommandCalls.clear(); }

const std::vector<PasteRecord>& HostStandIn::Pastes() const { return model_->pastes; }
void HostStandIn::ClearPastes() { model_->pastes.clear(); }

std::vector<HeldObject> HostStandIn::HeldObjects() const {
    std::vector<HeldObject> held;
    for (HostObject* object : model_->objects) {
        if (object == model_->application || object == model_->addIn) continue;
        if (object->ExternalReferences() > 0) held.push_back({object->Kind(), object->ExternalReferences()});
    }
    return held;
}

ULONG HostStandIn::ApplicationReferences() const { return model_->application->ExternalReferences(); }
ULONG HostStandIn::AddInReferences() const { return model_->addIn->ExternalReferences(); }
std::vector<ObjectKind> HostStandIn::OverReleases() const { return model_->overReleases; }

std::wstring HostStandIn::DescribeReferences() const {
    std::wstring text = L"held:";
    const std::vector<HeldObject> held = HeldObjects();
    if (held.empty()) text += L" none";
    for (const HeldObject& object : held) {
        text += L" ";
        text += KindName(object.kind);
        text += L" x" + std::to_wstring(object.references);
    }
    text += L"; Application x" + std::to_wstring(ApplicationReferences());
    text += L"; AddIn x" + std::to_wstring(AddInReferences());
    text += L"; over-released:";
    if (model_->overReleases.empty()) text += L" none";
    for (ObjectKind kind : model_->overReleases) {
        text += L" ";
        text += KindName(kind);
    }
    return text;
}

}  // namespace velmora::host
