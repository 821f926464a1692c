#include "guid/GuidStore.h"

#include "addin/Connect.h"
#include "guid/GuidSetFormat.h"
#include "platform/ConfigFiles.h"

namespace velmora {

std::u16string GuidSetPath() { return config::FilePath(u"GuidSet.ini"); }

int ReadGuidSet() {
    config::FileReader file(GuidSetPath());
    if (!file.IsOpen()) return -1;
    return guid::ReadGuidFormat(file);
}

int Connect::WriteGuidSet() {
    // The number only counts as stored once it reached the file and the file
    // closed cleanly.
    return config::WriteWholeFile(GuidSetPath(), guid::GuidFormatText(guidFormat)) ? 0 : -1;
}

}  // namespace velmora
