#pragma once
// Runs registration scripts (framework/RegistrationScript.h) against the
// registry: a module's "REGISTRY" resource, or script text.
//
// Registering creates every scripted key that is missing and writes its
// values; a ForceRemove key is first deleted with all its subkeys, a Delete key
// is deleted with its subkeys and nothing else is done with it. Registration
// stops at the first failure.
//
// Unregistering deletes each scripted key, deepest keys first and otherwise in
// script order, with a plain non-recursive delete; NoRemove keys stay and are
// only searched for the keys beneath them, Delete keys are left alone. Named
// values go with their key. A key that is already missing is fine. A key that
// cannot be deleted (another program added a subkey to it) makes the result
// that registry error; the remaining keys are still deleted, and the first
// failure is returned.
//
// None of these functions throws.
#include <windows.h>

#include <string>
#include <string_view>

#include "framework/RegistrationScript.h"

namespace velmora {

// Result for a script that does not decode, has a bad placeholder or does not parse.
inline constexpr HRESULT E_BAD_REGISTRATION_SCRIPT = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

// The replacement text for %MODULE%: the module's full path as the system
// reports it, every single quote doubled. A file name the system cannot give
// yields the last error; one that fills all MAX_PATH units of the buffer
// yields HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER).
HRESULT ModulePathReplacement(HMODULE module, std::u16string& replacement);

// Applies a parsed script to the registry.
HRESULT ApplyRegistrationScript(const RegistrationScript& script, bool registering);

// Replaces the placeholders in `text`, parses it and applies it. On a script
// error the result is E_BAD_REGISTRATION_SCRIPT and `error`, if given, says why.
HRESULT RunRegistrationScriptText(std::u16string_view text, bool registering, const ScriptReplacements& replacements,
                                  ScriptError* error = nullptr);

// Loads the module's resource of type "REGISTRY" with the given id (UTF-8 or
// UTF-16LE text) and runs it. A missing resource gives the loader's error.
HRESULT RunRegistrationScript(HMODULE module, UINT resourceId, bool registering,
                              const ScriptReplacements& replacements, ScriptError* error = nullptr);

// The usual case: runs the module's script with %MODULE% set to its own path.
HRESULT RegisterScript(HMODULE module, UINT resourceId);
HRESULT UnregisterScript(HMODULE module, UINT resourceId);

}  // namespace velmora
