#pragma once
// Making and rendering GUIDs on Windows: the system generator, the templates
// from the module's string table and the portable formatter, and the GUID
// text that the connection keeps.
#include <windows.h>

#include <cstddef>

#include "guid/GuidFormat.h"
#include "platform/CommandContext.h"

namespace velmora::guid {

// Sets `out` to GUID_NULL, then lets CoCreateGuid fill it. Only the value
// decides success: true when `out` now differs from GUID_NULL in any byte.
bool MakeNewGuid(GUID& out);

GuidValue ToGuidValue(const GUID& guid);

// Copies the template of `format` (string 101 + format) from the module's
// string table into `buffer`. Returns its length; 0 when `format` is outside
// 0 to 4 or the string is missing.
int LoadGuidTemplate(int format, wchar_t (&buffer)[kGuidTextCapacity]);

// Renders `guid` in `format` into `buffer` (at most 511 units and the
// terminator). False, with `buffer` untouched, when the template is missing.
bool RenderGuid(int format, const GUID& guid, wchar_t (&buffer)[kGuidTextCapacity]);

// Renders `guid`, or a new GUID for GUID_NULL, into fields.text in
// fields.format and sets fields.hasText: 0, or -1 with the fields as they
// were when no GUID could be made or the format has no template.
int MakeGuidText(const GuidFields& fields, const GUID& guid);

}  // namespace velmora::guid
