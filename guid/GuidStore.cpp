#include "guid/GuidStore.h"

#include "guid/GuidSetFormat.h"

namespace velmora {

int ReadGuidSet(const textfile::ConfigFileAccess& files) {
    const std::unique_ptr<textfile::ByteSource> file = files.OpenBytes(files.FilePath(kGuidSetName));
    if (!file) return -1;
    return guid::ReadGuidFormat(*file);
}

int WriteGuidSet(const textfile::ConfigFileAccess& files, int format) {
    return files.WriteBytes(files.FilePath(kGuidSetName), guid::GuidFormatText(format)) ? 0 : -1;
}

}  // namespace velmora
