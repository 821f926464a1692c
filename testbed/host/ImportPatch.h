#pragma once
// Replaces one imported function in a module's import table while it lives,
// so that the module's calls of that function reach the replacement; other
// modules are untouched. The demo and the tests use it to watch or fail one
// system call of the add-in's code.
#include <windows.h>

namespace velmora::host {

class ImportPatch {
public:
    ImportPatch(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool Installed() const { return slot_ != nullptr; }
    // The function the slot held before, to call through from the replacement.
    void* Original() const { return original_; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace velmora::host
