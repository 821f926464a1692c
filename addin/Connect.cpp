#include "addin/Connect.h"

#include <exception>
#include <new>

#include "addin/CommandTable.h"
#include "explorer/ExplorerCommands.h"
#include "framework/Module.h"
#include "framework/TextConversion.h"
#include "guid/GuidCommands.h"
#include "guid/GuidMaker.h"
#include "guid/GuidStore.h"
#include "platform/HostOperations.h"
#include "platform/TextInsertion.h"
#include "platform/WindowsConfigFiles.h"
#include "templates/CodeTemplateCommand.h"

namespace velmora {

namespace {
// Runs a COM entry point's body so that no C++ exception reaches the caller.
template <typename Body>
HRESULT AtComBoundary(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception&) {
        return E_UNEXPECTED;
    }
}
}  // namespace

Connect::Connect(IUnknown* outer) : inner(this), controllingUnknown(outer ? outer : &inner) { LockModule(); }

Connect::~Connect() {
    addInInstance.Reset();
    host.Reset();
    UnlockModule();
}

HRESULT Connect::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // An aggregating outer object may only ask for the inner IUnknown.
    if (outer && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    Connect* created = new (std::nothrow) Connect(outer);
    if (!created) return E_OUTOFMEMORY;
    created->inner.AddRef();
    // Aggregated, the outer object gets the inner unknown; otherwise the
    // object's own identity (its IUnknown is the connection part).
    HRESULT hr = outer ? created->inner.QueryInterface(riid, object) : created->QueryInterface(riid, object);
    created->inner.Release();  // destroys the object again if riid was refused
    return hr;
}

HRESULT Connect::InnerUnknown::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    Connect& self = Owner();
    if (IsEqualIID(riid, IID_IUnknown)) {
        *object = this;
    } else if (IsEqualIID(riid, IID_IDTCommandTarget)) {
        *object = static_cast<IDTCommandTarget*>(&self);
    } else if (IsEqualIID(riid, IID_IDTExtensibility2) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDTExtensibility2*>(&self);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*object)->AddRef();
    return S_OK;
}

ULONG Connect::InnerUnknown::AddRef() { return static_cast<ULONG>(++Owner().refCount); }

ULONG Connect::InnerUnknown::Release() {
    Connect& self = Owner();
    long count = --self.refCount;
    if (count == 0) delete &self;
    return static_cast<ULONG>(count);
}

HRESULT Connect::QueryInterface(REFIID riid, void** object) {
    if (controllingUnknown == &inner) {
        // Not aggregated: IUnknown answers with the connection part.
        if (object && IsEqualIID(riid, IID_IUnknown)) {
            *object = static_cast<IDTExtensibility2*>(this);
            AddRef();
            return S_OK;
        }
        return inner.QueryInterface(riid, object);
    }
    return controllingUnknown->QueryInterface(riid, object);
}

ULONG Connect::AddRef() { return controllingUnknown->AddRef(); }
ULONG Connect::Release() { return controllingUnknown->Release(); }

// --- IDTExtensibility2 ---

HRESULT Connect::OnConnection(IDispatch* Application, ext_ConnectMode, IDispatch* AddInInst, SAFEARRAY**) {
    return AtComBoundary([&]() -> HRESULT {
        // A reconnection replaces whatever an earlier connection left held.
        host.Reset();
        addInInstance.Reset();
        if (Application) Application->QueryInterface(IID_DTE, reinterpret_cast<void**>(host.GetAddressOf()));
        if (AddInInst) AddInInst->QueryInterface(IID_AddIn, reinterpret_cast<void**>(addInInstance.GetAddressOf()));
        if (!host) return S_OK;  // no host root: nothing can be created

        for (int index = 0; index < kCommandCount; ++index) {
            Microsoft::WRL::ComPtr<IDispatch> commands;
            HRESULT hr = hostops::GetCommands(host.Get(), commands);
            if (FAILED(hr) || !commands) return hr;
            const CommandDefinition& definition = CommandAt(index);
            UniqueBstr name(SysAllocString(AsWide(definition.shortName)));
            UniqueBstr buttonText(SysAllocString(AsWide(definition.shortName)));
            UniqueBstr tooltip(SysAllocString(AsWide(definition.tooltip)));
            if (!name || !buttonText || !tooltip) return E_OUTOFMEMORY;
            // A command the host refuses (one left from an earlier connection) is passed over.
            Microsoft::WRL::ComPtr<IDispatch> command;
            hostops::AddNamedCommand(commands.Get(), addInInstance.Get(), name.get(), buttonText.get(), tooltip.get(),
                                     true, kCommandBitmap, kCommandStatusAvailable, command);
        }
        return S_OK;
    });
}

HRESULT Connect::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
    host.Reset();
    return S_OK;
}

HRESULT Connect::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }
HRESULT Connect::OnStartupComplete(SAFEARRAY**) { return S_OK; }
HRESULT Connect::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

// --- IDTCommandTarget ---

bool Connect::PassesStatusTest(int commandIndex) {
    if (commandIndex == kInsertOldGUID && !hasGuidText) return false;
    if (!host) return false;
    hostops::EditableSelection selection;
    switch (commandIndex) {
    case kProjectExplorer:
        return hostops::IsNotInBreakMode(host.Get()) && hostops::IsSolutionOpen(host.Get());
    case kProjectExplorerSp:
        return hostops::IsNotInBreakMode(host.Get());
    case kSelectGUID:
    case kInsertGUID:
    case kInsertOldGUID:
        return hostops::FindEditableSelection(host.Get(), selection);
    case kCodeTemplate:
        return hostops::IsNotInBreakMode(host.Get()) && hostops::FindEditableSelection(host.Get(), selection);
    default:
        return false;
    }
}

int Connect::RunCommand(int commandIndex) {
    if (!host) {  // disconnected, or the host gave no root
        debuglog::CommandStopped(AsWide(CommandAt(commandIndex).shortName), L"not connected to the host");
        return -1;
    }
    switch (commandIndex) {
    case kProjectExplorer:
        return ProjectExplorer();
    case kProjectExplorerSp:
        return ProjectExplorerSp();
    case kSelectGUID:
        return SelectGUID();
    case kInsertGUID:
        return InsertGUID();
    case kInsertOldGUID:
        return InsertOldGUID();
    case kCodeTemplate:
        return CodeTemplate();
    default:
        return -1;
    }
}

// --- The command handlers: each runs in its feature ---

int Connect::ProjectExplorer() { return explorer::OpenProjectFolder(Context()); }
int Connect::ProjectExplorerSp() { return explorer::PickSpecialFolder(); }
int Connect::SelectGUID() { return guid::SelectGuid(Context()); }
int Connect::InsertGUID() { return guid::InsertGuid(Context()); }
int Connect::InsertOldGUID() { return guid::InsertOldGuid(Context()); }
int Connect::CodeTemplate() { return InsertCodeTemplate(Context()); }

int Connect::InsertText(debuglog::Reason* whyNot) { return InsertIntoActiveDocument(host.Get(), guidText, whyNot); }
int Connect::MakeGuidText(const GUID& guid) { return guid::MakeGuidText(Context().guid, guid); }
int Connect::WriteGuidSet() { return velmora::WriteGuidSet(WindowsConfigFiles(), guidFormat); }

HRESULT Connect::QueryStatus(BSTR CmdName, vsCommandStatusTextWanted NeededText, vsCommandStatus* StatusOption,
                             VARIANT*) {
    return AtComBoundary([&]() -> HRESULT {
        if (NeededText != vsCommandStatusTextWantedNone) return S_OK;
        int index = FindCommand(AsU16(CmdName));
        if (index < 0 || !StatusOption) return S_OK;
        if (PassesStatusTest(index)) *StatusOption = static_cast<vsCommandStatus>(kCommandStatusAvailable);
        return S_OK;
    });
}

HRESULT Connect::Exec(BSTR CmdName, vsCommandExecOption ExecuteOption, VARIANT*, VARIANT*, VARIANT_BOOL* Handled) {
    return AtComBoundary([&]() -> HRESULT {
        if (Handled) *Handled = VARIANT_FALSE;
        if (ExecuteOption != vsCommandExecOptionDoDefault) return S_OK;
        int index = FindCommand(AsU16(CmdName));
        if (index < 0) return S_OK;
        if (Handled) *Handled = VARIANT_TRUE;
        RunCommand(index);  // failures are the command's own business
        return S_OK;
    });
}

}  // namespace velmora
