#pragma once
// The add-in's one COM object: the host connects it through IDTExtensibility2
// and runs its commands through IDTCommandTarget. It also holds the add-in's
// state: the host root, the host's add-in object and the GUID tools' fields,
// which it lends to each command's feature for the run (CommandContext).
#include <windows.h>
#include <wrl/client.h>

#include "framework/DualDispatch.h"
#include "platform/CommandContext.h"
#include "platform/DebugLog.h"
#include "platform/DteInterfaces.h"

namespace velmora {

class Connect final : public DualDispatch<IDTCommandTarget, IID_IDTCommandTarget, LIBID_EnvDTE, EnvDTEMajor, EnvDTEMinor>,
                      public DualDispatch<IDTExtensibility2, IID_IDTExtensibility2, LIBID_AddInDesignerObjects,
                                          AddInDesignerObjectsMajor, AddInDesignerObjectsMinor> {
public:
    // The class factory's instance creator. With an outer unknown the object is
    // aggregated and riid must be IID_IUnknown.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    // IUnknown (delegates to the controlling unknown)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDTExtensibility2
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                           IDispatch* AddInInst, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

    // IDTCommandTarget
    HRESULT STDMETHODCALLTYPE QueryStatus(BSTR CmdName, vsCommandStatusTextWanted NeededText,
                                          vsCommandStatus* StatusOption, VARIANT* CommandText) override;
    HRESULT STDMETHODCALLTYPE Exec(BSTR CmdName, vsCommandExecOption ExecuteOption, VARIANT* VariantIn,
                                   VARIANT* VariantOut, VARIANT_BOOL* Handled) override;

    // The six command handlers: 0 on success, -1 when the command stopped early.
    int ProjectExplorer();
    int ProjectExplorerSp();
    int SelectGUID();
    int InsertGUID();
    int InsertOldGUID();
    int CodeTemplate();

    // Pastes guidText into the active document's selection: 0, or -1 (and
    // the reason in `whyNot`, if given).
    int InsertText(debuglog::Reason* whyNot = nullptr);

    // GUID tools: renders guid (a new one for GUID_NULL) into guidText in
    // the format guidFormat; writes guidFormat to the store.
    int MakeGuidText(const GUID& guid);
    int WriteGuidSet();

private:
    // The Windows tests' view of the fields.
    friend struct ConnectFields;

    // The object's own IUnknown; the controlling unknown when not aggregated.
    struct InnerUnknown final : IUnknown {
        explicit InnerUnknown(Connect* connect) : owner(connect) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        Connect& Owner() { return *owner; }
        Connect* const owner;
    };

    explicit Connect(IUnknown* outer);
    ~Connect();
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    bool PassesStatusTest(int commandIndex);
    int RunCommand(int commandIndex);
    // The fields a command may use, lent for one run.
    CommandContext Context() { return {host.Get(), {guidFormat, guidText, hasGuidText}}; }

    Microsoft::WRL::ComPtr<IDispatch> host;
    Microsoft::WRL::ComPtr<IDispatch> addInInstance;
    int guidFormat = 0;
    wchar_t guidText[kGuidTextCapacity] = {};  // one rendering
    bool hasGuidText = false;

    InnerUnknown inner;
    IUnknown* controllingUnknown;  // outer unknown, or &inner
    long refCount = 0;              // apartment-threaded: not atomic
};

}  // namespace velmora
