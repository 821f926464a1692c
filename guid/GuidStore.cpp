#include "guid/GuidStore.h"

#include <fstream>

#include "addin/Connect.h"
#include "guid/GuidSetFormat.h"
#include "platform/ConfigFiles.h"

namespace velmora {

namespace {
const wchar_t kGuidSetFile[] = L"GuidSet.ini";
}

int ReadGuidSet() {
    std::ifstream in = config::OpenForReading(config::FilePath(kGuidSetFile));
    if (!in.is_open()) return -1;
    return guid::ReadGuidFormat(in);
}

int Connect::WriteGuidSet() {
    std::ofstream out = config::OpenForWriting(config::FilePath(kGuidSetFile));
    if (!out.is_open()) return -1;
    // The number only counts as stored once it reached the file and the file
    // closed cleanly.
    bool written = guid::WriteGuidFormat(out, guidFormat);
    out.close();
    return written && !out.fail() ? 0 : -1;
}

}  // namespace velmora
