#pragma once
// The class object of a creatable class. The module keeps one cached reference;
// a client reference beyond it keeps the module locked, so a client that holds
// the factory keeps the DLL loaded.
#include <windows.h>
#include <unknwn.h>

namespace velmora {

using InstanceCreator = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

class ClassFactory final : public IClassFactory {
public:
    // Creates a factory with one reference, the module's cached one.
    static HRESULT Create(InstanceCreator creator, IClassFactory** factory);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit ClassFactory(InstanceCreator creator) : creator_(creator) {}
    ~ClassFactory() = default;

    InstanceCreator creator_;
    volatile LONG refCount_ = 1;
};

}  // namespace velmora
