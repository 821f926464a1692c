#include "checker/ProgramFolder.h"

#include <windows.h>

#include "framework/TextConversion.h"

namespace velmora::checker {

std::u16string ProgramFolder() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, AsWide(path.data()), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(u'\\') + 1);
}

}  // namespace velmora::checker
