#include "guid/GuidSetFormat.h"

#include <istream>
#include <locale>
#include <ostream>

namespace velmora::guid {

int ClampGuidFormat(int value) {
    if (value < 0) return 0;
    if (value > 4) return 4;
    return value;
}

int ReadGuidFormat(std::istream& in) {
    in.imbue(std::locale::classic());
    // On a failed extraction the stream stores 0 when no number could be
    // read and the bound of the sign when the number overflows an int.
    int value = 0;
    in >> value;
    return ClampGuidFormat(value);
}

bool WriteGuidFormat(std::ostream& out, int format) {
    out.imbue(std::locale::classic());
    out << format;
    out.flush();
    return !out.fail();
}

}  // namespace velmora::guid
