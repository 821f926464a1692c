#pragma once
// A module's type library in the registry: registered from the module's own
// file, removed by its identity (LIBID, version, locale and system kind).
#include <windows.h>
#include <oleauto.h>

namespace velmora {

// The system kind a library built for this program's pointer size registers under.
inline constexpr SYSKIND kNativeSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

// Registers the type library embedded in `module`'s own file, with the
// file's folder as its help folder.
HRESULT RegisterTypeLibrary(HMODULE module);

// Unregisters the library with UnRegisterTypeLib. That call reads the library
// from the file it was registered from, and gives up, leaving every key, when
// the file is gone; the library's keys under HKEY_CLASSES_ROOT\TypeLib are
// then removed here: the locale's entry for the system kind, the locale's key
// once empty, the version's key once nothing but FLAGS and HELPDIR is left in
// it, and the LIBID's key once no version is left. Interface keys of the
// library's own interfaces cannot be found without the file and stay.
//
// A library that is not registered for this locale and system kind gives
// UnRegisterTypeLib's error.
HRESULT UnregisterTypeLibrary(REFGUID libid, WORD major, WORD minor, LCID locale, SYSKIND kind);

}  // namespace velmora
