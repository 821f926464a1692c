#pragma once
// The class object of a creatable class, made once as the module loads and
// kept as long as it is loaded. The module holds one reference of its own; a
// client reference beyond it keeps the module locked, so a client that holds
// the factory keeps the DLL loaded.
#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace velmora {

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    InstanceCreator creator_;
    std::atomic<long> refCount_{1};  // the module's own reference, never released
};

}  // namespace velmora
