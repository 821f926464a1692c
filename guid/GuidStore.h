#pragma once
// GuidSet.ini in the configuration folder: the GUID format index the user
// last confirmed in the GUID dialog.

#include <string>

namespace velmora {

// The store's full path.
std::u16string GuidSetPath();

// The stored format index, 0 to 4, or -1 when the file does not open.
// Content with no readable number reads as 0.
int ReadGuidSet();

}  // namespace velmora
