#pragma once
// The in-process server behind the DLL's four exports.
#include <windows.h>

namespace velmora {

HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object);
HRESULT CanUnloadNow();
HRESULT RegisterServer(HMODULE module);
HRESULT UnregisterServer(HMODULE module);

}  // namespace velmora
