#include "guid/GuidStore.h"

#include "addin/Connect.h"
#include "guid/GuidSetFormat.h"
#include "platform/ConfigFiles.h"

namespace velmora {

namespace {
const wchar_t kGuidSetFile[] = L"GuidSet.ini";
}

int ReadGuidSet() {
    config::FileReader file(config::FilePath(kGuidSetFile));
    if (!file.IsOpen()) return -1;
    return guid::ReadGuidFormat(file);
}

int Connect::WriteGuidSet() {
    // The number only counts as stored once it reached the file and the file
    // closed cleanly.
    return config::WriteWholeFile(config::FilePath(kGuidSetFile), guid::GuidFormatText(guidFormat)) ? 0 : -1;
}

}  // namespace velmora
