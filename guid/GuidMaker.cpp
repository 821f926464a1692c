#include "guid/GuidMaker.h"

#include <objbase.h>

#include <cstring>

#include "framework/Module.h"
#include "framework/TextConversion.h"

namespace velmora::guid {

bool MakeNewGuid(GUID& out) {
    out = GUID_NULL;
    CoCreateGuid(&out);  // the value alone tells success
    return !IsNullGuid(ToGuidValue(out));
}

GuidValue ToGuidValue(const GUID& guid) {
    GuidValue value{};
    value.data1 = guid.Data1;
    value.data2 = guid.Data2;
    value.data3 = guid.Data3;
    std::memcpy(value.data4, guid.Data4, sizeof value.data4);
    return value;
}

int LoadGuidTemplate(int format, wchar_t (&buffer)[kGuidTextCapacity]) {
    buffer[0] = L'\0';
    if (FormatTemplate(format) == nullptr) return 0;  // not one of the five formats
    return LoadStringW(ModuleInstance(), static_cast<UINT>(kFirstFormatStringId + format), buffer,
                       static_cast<int>(kGuidTextCapacity));
}

bool RenderGuid(int format, const GUID& guid, wchar_t (&buffer)[kGuidTextCapacity]) {
    wchar_t pattern[kGuidTextCapacity];
    if (LoadGuidTemplate(format, pattern) <= 0) return false;
    FormatGuid(AsU16(buffer), kGuidTextCapacity, AsU16(pattern), ToGuidValue(guid));
    return true;
}

int MakeGuidText(const GuidFields& fields, const GUID& guid) {
    GUID chosen = guid;
    if (IsEqualGUID(chosen, GUID_NULL) && !MakeNewGuid(chosen)) return -1;
    // A format outside the five or a missing template leaves the text as it was.
    if (!RenderGuid(fields.format, chosen, fields.text)) return -1;
    fields.hasText = true;
    return 0;
}

}  // namespace velmora::guid
