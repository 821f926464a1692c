#pragma once
// The built velmora.dll in a Windows benchmark's process: loaded, its
// Connect object made by the DLL's class factory and connected to the host
// stand-in, as the IDE would; its commands run through Exec.
#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "framework/UniqueHandle.h"
#include "platform/DteInterfaces.h"
#include "framework/TextConversion.h"
#include "testbed/host/HostStandIn.h"

namespace velmora::bench {

// A function pointer of the given type from GetProcAddress.
template <typename Function>
Function Callable(FARPROC address) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

// The built DLL loaded into this process, its Connect object made by the
// DLL's class factory and connected to the host stand-in. Disconnected and
// released at destruction.
class AddIn {
public:
    AddIn(const std::wstring& path, host::HostStandIn& host) : host_(host) {
        module_.reset(LoadLibraryW(path.c_str()));
        if (!module_) {
            error_ = "velmora.dll does not load from " + ToCodePage(path, CP_UTF8);
            return;
        }
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto getClassObject = Callable<GetClassObject>(GetProcAddress(module_.get(), "DllGetClassObject"));
        Microsoft::WRL::ComPtr<IClassFactory> factory;
        if (!getClassObject ||
            FAILED(getClassObject(CLSID_Connect, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()))) ||
            FAILED(factory->CreateInstance(nullptr, IID_IDTExtensibility2,
                                           reinterpret_cast<void**>(extensibility_.GetAddressOf()))) ||
            FAILED(extensibility_.As(&target_))) {
            error_ = "the DLL's class factory gives no Connect object";
            return;
        }
        SAFEARRAY* custom = nullptr;
        if (FAILED(extensibility_->OnConnection(host_.Application(), ext_cm_AfterStartup, host_.AddIn(),
                                                &custom))) {
            error_ = "OnConnection failed";
            return;
        }
        connected_ = true;
    }
    ~AddIn() {
        if (connected_) {
            SAFEARRAY* custom = nullptr;
            extensibility_->OnDisconnection(ext_dm_HostShutdown, &custom);
        }
        target_.Reset();
        extensibility_.Reset();
    }
    AddIn(const AddIn&) = delete;
    AddIn& operator=(const AddIn&) = delete;

    bool Connected() const { return connected_; }
    const std::string& Error() const { return error_; }

    HRESULT Exec(BSTR command, VARIANT_BOOL& handled) {
        VARIANT in, out;
        VariantInit(&in);
        VariantInit(&out);
        handled = VARIANT_FALSE;
        const HRESULT result = target_->Exec(command, vsCommandExecOptionDoDefault, &in, &out, &handled);
        VariantClear(&out);
        return result;
    }

private:
    host::HostStandIn& host_;
    UniqueModule module_;  // unloaded after the objects are released
    Microsoft::WRL::ComPtr<IDTExtensibility2> extensibility_;
    Microsoft::WRL::ComPtr<IDTCommandTarget> target_;
    bool connected_ = false;
    std::string error_;
};

}  // namespace velmora::bench
