#include "guid/GuidFormat.h"

#include <array>

namespace velmora::guid {

namespace {

// Entries 100 to 105 of the string table; resources/strings_guid.rc holds the
// same texts for the DLL.
const char16_t* const kStringTable[] = {
    u"AddIn",
    u"// {%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}\r\n"
    u"IMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n"
    u"0x%lx, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x);\r\n",
    u"// {%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}\r\n"
    u"DEFINE_GUID(<<name>>, \r\n"
    u"0x%lx, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x);\r\n",
    u"// {%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}\r\n"
    u"static const GUID <<name>> = \r\n"
    u"{ 0x%lx, 0x%x, 0x%x, { 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x, 0x%x } };\r\n",
    u"{%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}\r\n",
    u"%08lX_%04X_%04x_%02X%02X_%02X%02X%02X%02X%02X%02X",
};

constexpr int kArgumentCount = 22;

std::array<std::uint32_t, kArgumentCount> Arguments(const GuidValue& guid) {
    std::array<std::uint32_t, kArgumentCount> values{};
    for (int set = 0; set < 2; ++set) {
        std::uint32_t* out = values.data() + set * 11;
        out[0] = guid.data1;
        out[1] = guid.data2;  // zero-extended: 0x8000 stays 0x00008000
        out[2] = guid.data3;
        for (int i = 0; i < 8; ++i) out[3 + i] = guid.data4[i];
    }
    return values;
}

// Appends units to a fixed buffer, dropping what does not fit.
class Output {
public:
    Output(char16_t* destination, std::size_t capacity) : destination_(destination), limit_(capacity - 1) {}
    void Put(char16_t unit) {
        if (length_ < limit_) destination_[length_++] = unit;
    }
    void Put(const char16_t* begin, const char16_t* end) {
        for (; begin != end; ++begin) Put(*begin);
    }
    bool Full() const { return length_ == limit_; }
    std::size_t Finish() {
        destination_[length_] = u'\0';
        return length_;
    }

private:
    char16_t* destination_;
    std::size_t limit_;
    std::size_t length_ = 0;
};

void PutHex(Output& out, std::uint32_t value, bool upper, bool zeroPad, std::size_t width) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char16_t text[8];
    std::size_t count = 0;
    do {
        text[count++] = static_cast<char16_t>(digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    for (std::size_t pad = count; pad < width && !out.Full(); ++pad) out.Put(zeroPad ? u'0' : u' ');
    while (count > 0) out.Put(text[--count]);
}

}  // namespace

bool IsNullGuid(const GuidValue& guid) {
    if (guid.data1 != 0 || guid.data2 != 0 || guid.data3 != 0) return false;
    for (std::uint8_t byte : guid.data4) {
        if (byte != 0) return false;
    }
    return true;
}

const char16_t* StringTableText(int id) {
    if (id < kAddInNameStringId || id >= kFirstFormatStringId + kFormatCount) return nullptr;
    return kStringTable[id - kAddInNameStringId];
}

const char16_t* FormatTemplate(int index) {
    if (index < 0 || index >= kFormatCount) return nullptr;
    return StringTableText(kFirstFormatStringId + index);
}

std::size_t FormatGuid(char16_t* destination, std::size_t capacity, const char16_t* pattern, const GuidValue& guid) {
    if (capacity == 0 || destination == nullptr) return 0;
    Output out(destination, capacity);
    if (pattern == nullptr) return out.Finish();

    const auto values = Arguments(guid);
    int next = 0;
    const char16_t* p = pattern;
    while (*p != u'\0' && !out.Full()) {
        if (*p != u'%') {
            out.Put(*p++);
            continue;
        }
        const char16_t* start = p++;
        if (*p == u'%') {
            out.Put(u'%');
            ++p;
            continue;
        }
        bool zeroPad = false;
        if (*p == u'0') {
            zeroPad = true;
            ++p;
        }
        std::size_t width = 0;
        for (; *p >= u'0' && *p <= u'9'; ++p) {
            // Saturate: no rendering can be wider than the buffer anyway.
            if (width < capacity) width = width * 10 + static_cast<std::size_t>(*p - u'0');
        }
        if (*p == u'l') ++p;
        if ((*p == u'x' || *p == u'X') && next < kArgumentCount) {
            PutHex(out, values[next++], *p == u'X', zeroPad, width);
            ++p;
        } else {
            // Not a conversion this formatter knows: keep the text, stop at
            // the character that ended it so that it is copied in turn.
            out.Put(start, p);
        }
    }
    return out.Finish();
}

}  // namespace velmora::guid
