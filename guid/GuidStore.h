#pragma once
// GuidSet.ini in the configuration folder: the GUID format index the user
// last confirmed in the GUID dialog.
#include "textfile/ConfigFileAccess.h"

namespace velmora {

inline constexpr char16_t kGuidSetName[] = u"GuidSet.ini";

// The stored format index, 0 to 4, or -1 when the file does not open.
// Content with no readable number reads as 0.
int ReadGuidSet(const textfile::ConfigFileAccess& files);

// Makes `format` the whole of the file: 0 once the number reached the file
// and the file closed cleanly, else -1.
int WriteGuidSet(const textfile::ConfigFileAccess& files, int format);

}  // namespace velmora
