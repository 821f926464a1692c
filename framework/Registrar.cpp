#include "framework/Registrar.h"

#include <new>

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"

namespace velmora {
namespace {

HRESULT LastError() {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HKEY RootHandle(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

// Deletes a key with all its subkeys; a missing key is fine.
HRESULT DeleteTree(HKEY parent, const std::u16string& name) {
    const LSTATUS status = RegDeleteTreeW(parent, AsWide(name.c_str()));
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
    return HRESULT_FROM_WIN32(status);
}

// The value's name; null for the key's default value.
const wchar_t* ValueName(const ScriptValue& value) {
    return value.name.empty() ? nullptr : AsWide(value.name.c_str());
}

HRESULT WriteValue(HKEY key, const ScriptValue& value) {
    LSTATUS status;
    if (value.kind == ScriptValue::Kind::Dword) {
        const DWORD number = value.number;
        status = RegSetValueExW(key, ValueName(value), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    } else {
        const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(char16_t));
        status = RegSetValueExW(key, ValueName(value), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.text.c_str()), bytes);
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& entry) {
    if (entry.flag == KeyFlag::Delete) return DeleteTree(parent, entry.name);
    if (entry.flag == KeyFlag::ForceRemove) {
        const HRESULT hr = DeleteTree(parent, entry.name);
        if (FAILED(hr)) return hr;
    }
    UniqueRegKey key;
    const LSTATUS status = RegCreateKeyExW(parent, AsWide(entry.name.c_str()), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    for (const ScriptValue& value : entry.values) {
        const HRESULT hr = WriteValue(key.get(), value);
        if (FAILED(hr)) return hr;
    }
    for (const ScriptKey& subkey : entry.subkeys) {
        const HRESULT hr = RegisterKey(key.get(), subkey);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

void KeepFirstFailure(HRESULT& first, HRESULT hr) {
    if (SUCCEEDED(first) && FAILED(hr)) first = hr;
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& entry) {
    if (entry.flag == KeyFlag::Delete) return S_OK;
    HRESULT result = S_OK;
    {
        UniqueRegKey key;
        const LSTATUS status = RegOpenKeyExW(parent, AsWide(entry.name.c_str()), 0, KEY_READ, key.put());
        if (status == ERROR_FILE_NOT_FOUND) return S_OK;  // and so is everything beneath it
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
        for (const ScriptKey& subkey : entry.subkeys) KeepFirstFailure(result, UnregisterKey(key.get(), subkey));
    }
    if (entry.flag != KeyFlag::NoRemove) {
        const LSTATUS status = RegDeleteKeyW(parent, AsWide(entry.name.c_str()));
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            KeepFirstFailure(result, HRESULT_FROM_WIN32(status));
    }
    return result;
}

}  // namespace

HRESULT ModulePathReplacement(HMODULE module, std::u16string& replacement) {
    replacement.clear();
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0) return LastError();
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    try {
        replacement = DoubleSingleQuotes(std::u16string_view(AsU16(path), length));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT ApplyRegistrationScript(const RegistrationScript& script, bool registering) {
    HRESULT result = S_OK;
    for (const ScriptRootKey& root : script.roots) {
        for (const ScriptKey& key : root.keys) {
            if (registering) {
                const HRESULT hr = RegisterKey(RootHandle(root.root), key);
                if (FAILED(hr)) return hr;
            } else {
                KeepFirstFailure(result, UnregisterKey(RootHandle(root.root), key));
            }
        }
    }
    return result;
}

HRESULT RunRegistrationScriptText(std::u16string_view text, bool registering, const ScriptReplacements& replacements,
                                  ScriptError* error) {
    try {
        ScriptError local;
        ScriptError& diagnostics = error != nullptr ? *error : local;
        std::u16string replaced;
        if (!ApplyReplacements(text, replacements, replaced, diagnostics)) return E_BAD_REGISTRATION_SCRIPT;
        RegistrationScript script;
        if (!ParseRegistrationScript(replaced, script, diagnostics)) return E_BAD_REGISTRATION_SCRIPT;
        return ApplyRegistrationScript(script, registering);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RunRegistrationScript(HMODULE module, UINT resourceId, bool registering,
                              const ScriptReplacements& replacements, ScriptError* error) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"REGISTRY");
    if (info == nullptr) return LastError();
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);  // module memory, never freed
    if (loaded == nullptr) return LastError();
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr) return LastError();
    try {
        ScriptError local;
        ScriptError& diagnostics = error != nullptr ? *error : local;
        std::u16string text;
        if (!DecodeScriptText(std::string_view(static_cast<const char*>(bytes), size), text, diagnostics))
            return E_BAD_REGISTRATION_SCRIPT;
        return RunRegistrationScriptText(text, registering, replacements, error);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

namespace {

HRESULT RunWithModulePath(HMODULE module, UINT resourceId, bool registering) {
    try {
        std::u16string path;
        const HRESULT hr = ModulePathReplacement(module, path);
        if (FAILED(hr)) return hr;
        ScriptReplacements replacements;
        replacements.emplace(u"MODULE", std::move(path));
        return RunRegistrationScript(module, resourceId, registering, replacements);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT RegisterScript(HMODULE module, UINT resourceId) { return RunWithModulePath(module, resourceId, true); }

HRESULT UnregisterScript(HMODULE module, UINT resourceId) { return RunWithModulePath(module, resourceId, false); }

}  // namespace velmora
