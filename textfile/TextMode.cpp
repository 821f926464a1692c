#include "textfile/TextMode.h"

#include <cstring>

#include "textfile/FindUnit.h"

namespace velmora::textfile {

namespace {

template <typename Unit>
std::size_t Apply(Unit* text, std::size_t size) {
    Unit* const end = FindUnit(text, text + size, Unit{0x1A});
    // Runs between CRs are moved down over the CRs that are dropped; a text
    // without CR LF is not touched.
    Unit* cr = FindUnit(text, end, Unit{'\r'});
    Unit* out = cr;
    while (cr != end) {
        Unit* from = cr + 1 != end && cr[1] == Unit{'\n'} ? cr + 1 : cr;
        Unit* next = FindUnit(cr + 1, end, Unit{'\r'});
        if (out != from) std::memmove(out, from, static_cast<std::size_t>(next - from) * sizeof(Unit));
        out += next - from;
        cr = next;
    }
    return static_cast<std::size_t>(out - text);
}

}  // namespace

std::size_t ApplyTextMode(char* text, std::size_t size) { return Apply(text, size); }
std::size_t ApplyTextMode(char16_t* text, std::size_t size) { return Apply(text, size); }

}  // namespace velmora::textfile
