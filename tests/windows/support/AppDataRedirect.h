#pragma once
// Another user's application-data folder, for tests of what each user gets.
#include <windows.h>

#include <string>
#include <vector>

namespace velmora::test {

// Points the user's application-data folder (the AppData entry of the shell
// folders in HKEY_CURRENT_USER) at `folder` for its lifetime, creating the
// folder, and restores the entry and removes the folder afterwards.
class AppDataRedirect {
public:
    explicit AppDataRedirect(std::wstring folder);
    ~AppDataRedirect();
    AppDataRedirect(const AppDataRedirect&) = delete;
    AppDataRedirect& operator=(const AppDataRedirect&) = delete;
    bool Active() const { return active_; }

private:
    struct SavedValue {
        std::wstring key;
        bool present = false;
        DWORD type = REG_SZ;
        std::vector<BYTE> data;
    };
    std::wstring folder_;
    std::vector<SavedValue> saved_;
    bool active_ = false;
};

}  // namespace velmora::test
