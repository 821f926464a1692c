// The real velmora.dll as a COM server: its exports, its class factory and
// lock count, and what regsvr32 writes to and removes from the registry.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/DteInterfaces.h"
#include "testbed/fixtures/TestEnvironment.h"

namespace velmora::test {
namespace {

using Microsoft::WRL::ComPtr;

const wchar_t kClsid[] = L"{96B79E67-A8A4-4B68-9BB5-7572B98C12E8}";
const wchar_t kLibid[] = L"{1A4FDA34-CB3B-4835-9258-559A99D31FF8}";
const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClsid;

struct LoadedServer {
    explicit LoadedServer(const std::wstring& path) : module(LoadLibraryW(path.c_str())) {
        if (!module) return;
        getClassObject = Export<decltype(getClassObject)>("DllGetClassObject");
        canUnloadNow = Export<decltype(canUnloadNow)>("DllCanUnloadNow");
    }
    template <typename Function>
    Function Export(const char* name) {
        // Through a generic function pointer: the export's real type is known only here.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    }
    ~LoadedServer() {
        if (module) FreeLibrary(module);
    }
    HMODULE module;
    HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* canUnloadNow)() = nullptr;
};

bool TypeLibraryRegistered() {
    ComPtr<ITypeLib> library;
    return SUCCEEDED(LoadRegTypeLib(LIBID_VelmoraLib, 1, 0, LOCALE_NEUTRAL, &library));
}

TEST(ComServer, ExportsServeOneClassFactoryAndCountLocks) {
    LoadedServer server(BuiltDllPath());
    ASSERT_NE(server.module, nullptr);
    ASSERT_NE(server.getClassObject, nullptr);
    ASSERT_NE(server.canUnloadNow, nullptr);

    void* unknownClass = reinterpret_cast<void*>(1);
    EXPECT_EQ(server.getClassObject(IID_IUnknown, IID_IClassFactory, &unknownClass), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(unknownClass, nullptr);
    EXPECT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, nullptr), E_POINTER);

    EXPECT_EQ(server.canUnloadNow(), S_OK);
    ComPtr<IClassFactory> first;
    ComPtr<IClassFactory> second;
    ASSERT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, &first), S_OK);
    ASSERT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, &second), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);  // a client holds the factory

    ComPtr<IUnknown> object;
    ASSERT_EQ(first->CreateInstance(nullptr, IID_IDTExtensibility2, &object), S_OK);
    ComPtr<IDTCommandTarget> target;
    EXPECT_EQ(object.As(&target), S_OK);
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(object.As(&dispatch), S_OK);
    ComPtr<IDTExtensibility2> extensibility;
    ASSERT_EQ(object.As(&extensibility), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(extensibility.Get()), dispatch.Get());  // IDispatch is the connection part
    ComPtr<IUnknown> identity;
    ASSERT_EQ(first->CreateInstance(nullptr, IID_IUnknown, &identity), S_OK);
    ComPtr<IUnknown> identityAgain;
    ComPtr<IDTCommandTarget> otherPart;
    ASSERT_EQ(identity.As(&otherPart), S_OK);
    ASSERT_EQ(otherPart.As(&identityAgain), S_OK);
    EXPECT_EQ(identity.Get(), identityAgain.Get());  // one COM identity per object
    identity.Reset();
    identityAgain.Reset();
    otherPart.Reset();
    ComPtr<IClassFactory> notOffered;
    EXPECT_EQ(object.As(&notOffered), E_NOINTERFACE);
    EXPECT_EQ(notOffered, nullptr);

    ComPtr<IUnknown> refused;
    EXPECT_EQ(first->CreateInstance(nullptr, IID_IClassFactory, &refused), E_NOINTERFACE);
    EXPECT_EQ(refused, nullptr);

    first.Reset();
    second.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);  // the Connect object is alive
    target.Reset();
    dispatch.Reset();
    extensibility.Reset();
    object.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_OK);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, &factory), S_OK);
    factory->LockServer(TRUE);
    factory.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);
    ASSERT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, &factory), S_OK);
    factory->LockServer(FALSE);
    factory.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_OK);
}

// Two threads asking a freshly loaded server at once get the one factory, and
// once both let it go the server may unload.
TEST(ComServer, TwoThreadsAskingAtOnceShareOneFactory) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        LoadedServer server(BuiltDllPath());
        ASSERT_NE(server.getClassObject, nullptr);
        std::atomic<int> waiting{2};
        IClassFactory* factories[2] = {};
        HRESULT results[2] = {E_FAIL, E_FAIL};
        auto ask = [&](int i) {
            for (--waiting; waiting > 0;) {
            }
            results[i] = server.getClassObject(CLSID_Connect, IID_IClassFactory, reinterpret_cast<void**>(&factories[i]));
        };
        std::thread first(ask, 0);
        std::thread second(ask, 1);
        first.join();
        second.join();
        ASSERT_EQ(results[0], S_OK);
        ASSERT_EQ(results[1], S_OK);
        EXPECT_EQ(factories[0], factories[1]);
        factories[0]->Release();
        factories[1]->Release();
        EXPECT_EQ(server.canUnloadNow(), S_OK);
    }
}

TEST(ComServer, CreatesAggregatedInstanceOnlyAsInnerUnknown) {
    LoadedServer server(BuiltDllPath());
    ASSERT_NE(server.module, nullptr);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(server.getClassObject(CLSID_Connect, IID_IClassFactory, &factory), S_OK);

    // A minimal outer object whose reference count the inner object must use.
    struct Outer : IUnknown {
        IUnknown* inner = nullptr;
        long count = 1;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
            if (IsEqualIID(riid, IID_IUnknown)) {
                *object = this;
                AddRef();
                return S_OK;
            }
            return inner->QueryInterface(riid, object);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
        ULONG STDMETHODCALLTYPE Release() override { return --count; }
    } outer;

    ComPtr<IUnknown> wrong;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IDTExtensibility2, &wrong), CLASS_E_NOAGGREGATION);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    IDTCommandTarget* target = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IDTCommandTarget, reinterpret_cast<void**>(&target)), S_OK);
    EXPECT_EQ(outer.count, 2);  // the interface's reference went to the outer object
    IUnknown* controlling = nullptr;
    ASSERT_EQ(target->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&controlling)), S_OK);
    EXPECT_EQ(controlling, static_cast<IUnknown*>(&outer));
    controlling->Release();
    target->Release();
    EXPECT_EQ(outer.count, 1);
    EXPECT_EQ(outer.inner->Release(), 0u);
    factory.Reset();
    EXPECT_EQ(server.canUnloadNow(), S_OK);
}

// regsvr32 writes exactly the script's keys; twice leaves one set; /u removes
// them again but keeps HKCR\CLSID.
TEST(Registration, Regsvr32WritesAndRemovesTheScriptedKeys) {
    const std::wstring dll = BuiltDllPath();
    ASSERT_EQ(Regsvr32(dll), 0);
    ASSERT_EQ(Regsvr32(dll), 0);  // twice: the class key is rebuilt, not doubled

    struct Expected {
        std::wstring key;
        std::wstring name;
        std::wstring value;
    };
    const Expected expected[] = {
        {L"Velmora.Connect.1", L"", L"Connect Class"},
        {L"Velmora.Connect.1\\CLSID", L"", kClsid},
        {L"Velmora.Connect", L"", L"Connect Class"},
        {L"Velmora.Connect\\CLSID", L"", kClsid},
        {L"Velmora.Connect\\CurVer", L"", L"Velmora.Connect.1"},
        {kClassKey, L"", L"Connect Class"},
        {kClassKey + L"\\ProgID", L"", L"Velmora.Connect.1"},
        {kClassKey + L"\\VersionIndependentProgID", L"", L"Velmora.Connect"},
        {kClassKey + L"\\InprocServer32", L"", dll},
        {kClassKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {kClassKey + L"\\TypeLib", L"", kLibid},
    };
    for (const Expected& e : expected) {
        auto value = ReadRegistryString(HKEY_CLASSES_ROOT, e.key, e.name);
        ASSERT_TRUE(value.has_value()) << std::string(e.key.begin(), e.key.end());
        EXPECT_EQ(_wcsicmp(value->c_str(), e.value.c_str()), 0) << std::string(e.key.begin(), e.key.end());
    }
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable"));
    EXPECT_EQ(RegistrySubkeyCount(HKEY_CLASSES_ROOT, kClassKey), 5u);
    EXPECT_EQ(RegistrySubkeyCount(HKEY_CLASSES_ROOT, L"Velmora.Connect"), 2u);
    EXPECT_TRUE(TypeLibraryRegistered());

    // The ProgID leads to a working object.
    CLSID fromProgId = {};
    ASSERT_EQ(CLSIDFromProgID(L"Velmora.Connect", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_Connect));
    ComPtr<IDTExtensibility2> created;
    EXPECT_EQ(CoCreateInstance(CLSID_Connect, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2, &created), S_OK);
    created.Reset();
    CoFreeUnusedLibraries();

    ASSERT_EQ(Regsvr32(dll, true), 0);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"Velmora.Connect.1"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(TypeLibraryRegistered());
}

TEST(Registration, ModulePathWithSingleQuoteIsWrittenWhole) {
    ScratchFolder folder(L"velmora o'quote");
    const std::wstring copy = folder.Path() + L"\\velmora.dll";
    ASSERT_TRUE(CopyFileW(BuiltDllPath().c_str(), copy.c_str(), FALSE));
    ASSERT_EQ(Regsvr32(copy), 0);
    auto server = ReadRegistryString(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32");
    ASSERT_TRUE(server.has_value());
    EXPECT_EQ(_wcsicmp(server->c_str(), copy.c_str()), 0);
    EXPECT_EQ(Regsvr32(copy, true), 0);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    CoFreeUnusedLibraries();
}

TEST(Registration, ForeignSubkeyInClassKeyMakesUnregistrationFail) {
    const std::wstring dll = BuiltDllPath();
    ASSERT_EQ(Regsvr32(dll), 0);
    HKEY foreign = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, (kClassKey + L"\\AddedByAnotherProgram").c_str(), &foreign),
              ERROR_SUCCESS);
    RegCloseKey(foreign);
    EXPECT_NE(Regsvr32(dll, true), 0);
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (kClassKey + L"\\AddedByAnotherProgram").c_str());
    EXPECT_EQ(Regsvr32(dll, true), 0);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
}

}  // namespace
}  // namespace velmora::test
