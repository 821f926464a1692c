// The GUID renderings, checked character for character against the texts a
// user expects in the document.
#include <gtest/gtest.h>

#include <string>

#include "guid/GuidFormat.h"

namespace velmora::guid {
namespace {

const GuidValue kExample = {0x0A1B2C3D, 0x4E5F, 0x6A7B, {0x08, 0x9D, 0xAE, 0xBF, 0xC0, 0xD1, 0xE2, 0xF3}};
const GuidValue kWidest = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};

std::u16string Render(int format, const GuidValue& guid, std::size_t capacity = 512) {
    std::u16string buffer(capacity, u'\xFFFF');
    std::size_t length = FormatGuid(buffer.data(), capacity, FormatTemplate(format), guid);
    EXPECT_LT(length, capacity);
    EXPECT_EQ(buffer[length], u'\0');
    return buffer.substr(0, length);
}

TEST(GuidFormat, ExampleGuidInEveryFormat) {
    struct Case {
        int format;
        const char16_t* expected;
    };
    const Case cases[] = {
        {0,
         u"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
         u"IMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n"
         u"0xa1b2c3d, 0x4e5f, 0x6a7b, 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3);\r\n"},
        {1,
         u"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
         u"DEFINE_GUID(<<name>>, \r\n"
         u"0xa1b2c3d, 0x4e5f, 0x6a7b, 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3);\r\n"},
        {2,
         u"// {0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"
         u"static const GUID <<name>> = \r\n"
         u"{ 0xa1b2c3d, 0x4e5f, 0x6a7b, { 0x8, 0x9d, 0xae, 0xbf, 0xc0, 0xd1, 0xe2, 0xf3 } };\r\n"},
        {3, u"{0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r\n"},
        {4, u"0A1B2C3D_4E5F_6a7b_089D_AEBFC0D1E2F3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Render(c.format, kExample), c.expected);
    }
}

TEST(GuidFormat, FieldsAreWidenedWithoutSignExtension) {
    // 16-bit fields and bytes with their top bit set must not turn into
    // FFFF8000 or ffffff80.
    const GuidValue guid = {0x80000000, 0x8000, 0xFEDC, {0x80, 0x7F, 0xFF, 0x00, 0x01, 0x10, 0x0F, 0x90}};
    EXPECT_EQ(Render(3, guid), u"{80000000-8000-fedc-807F-FF0001100F90}\r\n");
    EXPECT_EQ(Render(4, guid), u"80000000_8000_fedc_807F_FF0001100F90");
    EXPECT_EQ(Render(2, guid),
              u"// {80000000-8000-fedc-807F-FF0001100F90}\r\n"
              u"static const GUID <<name>> = \r\n"
              u"{ 0x80000000, 0x8000, 0xfedc, { 0x80, 0x7f, 0xff, 0x0, 0x1, 0x10, 0xf, 0x90 } };\r\n");
}

TEST(GuidFormat, SmallValuesArePaddedOnlyInTheRegistryForm) {
    const GuidValue guid = {0x1, 0x2, 0x3, {0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA, 0xB}};
    EXPECT_EQ(Render(1, guid),
              u"// {00000001-0002-0003-0405-060708090A0B}\r\n"
              u"DEFINE_GUID(<<name>>, \r\n"
              u"0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xa, 0xb);\r\n");
    EXPECT_EQ(Render(4, GuidValue{}), u"00000000_0000_0000_0000_000000000000");
}

TEST(GuidFormat, LongestRenderingsFitTheBuffer) {
    const std::size_t widest[kFormatCount] = {173, 145, 159, 40, 36};
    for (int format = 0; format < kFormatCount; ++format) {
        SCOPED_TRACE(format);
        std::u16string text = Render(format, kWidest);
        EXPECT_EQ(text.size(), widest[format]);
        EXPECT_EQ(text.find(u'%'), std::u16string::npos);
    }
    EXPECT_EQ(Render(0, kWidest),
              u"// {FFFFFFFF-FFFF-ffff-FFFF-FFFFFFFFFFFF}\r\n"
              u"IMPLEMENT_OLECREATE(<<class>>, <<external_name>>, \r\n"
              u"0xffffffff, 0xffff, 0xffff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff);\r\n");
}

TEST(GuidFormat, OutputStopsAtTheCapacity) {
    struct Case {
        int format;
        std::size_t capacity;
        const char16_t* expected;
    };
    const Case cases[] = {
        {4, 1, u""},
        {4, 2, u"0"},
        {4, 5, u"0A1B"},
        {4, 11, u"0A1B2C3D_4"},  // a conversion cut in its middle
        {4, 36, u"0A1B2C3D_4E5F_6a7b_089D_AEBFC0D1E2F"},
        {4, 37, u"0A1B2C3D_4E5F_6a7b_089D_AEBFC0D1E2F3"},
        {3, 40, u"{0A1B2C3D-4E5F-6a7b-089D-AEBFC0D1E2F3}\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        // Units past the capacity must stay untouched.
        std::u16string buffer(c.capacity + 4, u'#');
        std::size_t length = FormatGuid(buffer.data(), c.capacity, FormatTemplate(c.format), kExample);
        EXPECT_EQ(buffer.substr(0, length), c.expected);
        EXPECT_EQ(buffer[length], u'\0');
        EXPECT_EQ(buffer.substr(c.capacity), u"####");
    }
    char16_t untouched = u'#';
    EXPECT_EQ(FormatGuid(&untouched, 0, FormatTemplate(0), kExample), 0u);
    EXPECT_EQ(untouched, u'#');
}

TEST(GuidFormat, AtMost511UnitsGoIntoTheTextBuffer) {
    std::u16string pattern(600, u'a');
    pattern += u"%x";
    std::u16string buffer(520, u'#');
    std::size_t length = FormatGuid(buffer.data(), 512, pattern.c_str(), kExample);
    EXPECT_EQ(length, 511u);
    EXPECT_EQ(buffer.substr(0, 511), std::u16string(511, u'a'));
    EXPECT_EQ(buffer[511], u'\0');
    EXPECT_EQ(buffer.substr(512), std::u16string(8, u'#'));
}

TEST(GuidFormat, PrintfSubset) {
    const GuidValue guid = {0xABC, 0x8, 0xBEEF, {0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8}};
    struct Case {
        const char16_t* pattern;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"%x", u"abc"},
        {u"%X|%lX", u"ABC|8"},
        {u"%6x|%3x|%1x", u"   abc|  8|beef"},
        {u"%06X|%02x|%01x", u"000ABC|08|beef"},
        {u"%2x", u"abc"},  // a width is a minimum: nothing is cut
        {u"100%% %x", u"100% abc"},
        // Sequences outside the subset stay as written and take no value.
        {u"%d %s %-4x %x", u"%d %s %-4x abc"},
        {u"%llx,%x", u"%llx,abc"},
        {u"end %", u"end %"},
        {u"end %0", u"end %0"},
        {u"end %l", u"end %l"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern, c.pattern + std::char_traits<char16_t>::length(c.pattern)));
        std::u16string buffer(64, u'#');
        std::size_t length = FormatGuid(buffer.data(), buffer.size(), c.pattern, guid);
        EXPECT_EQ(buffer.substr(0, length), c.expected);
    }
}

TEST(GuidFormat, TwentyTwoValuesThenConversionsStayText) {
    std::u16string pattern;
    for (int i = 0; i < 23; ++i) pattern += u"%x,";
    std::u16string buffer(256, u'#');
    std::size_t length = FormatGuid(buffer.data(), buffer.size(), pattern.c_str(), kExample);
    const std::u16string once = u"a1b2c3d,4e5f,6a7b,8,9d,ae,bf,c0,d1,e2,f3,";
    EXPECT_EQ(buffer.substr(0, length), once + once + u"%x,");
}

TEST(GuidFormat, NullPatternGivesEmptyText) {
    std::u16string buffer(4, u'#');
    EXPECT_EQ(FormatGuid(buffer.data(), buffer.size(), nullptr, kExample), 0u);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST(GuidFormat, StringTableIdsAndFormatIndices) {
    EXPECT_EQ(std::u16string(StringTableText(100)), u"AddIn");
    EXPECT_EQ(StringTableText(99), nullptr);
    EXPECT_EQ(StringTableText(106), nullptr);
    for (int format = 0; format < kFormatCount; ++format) {
        EXPECT_EQ(FormatTemplate(format), StringTableText(101 + format));
    }
    EXPECT_EQ(FormatTemplate(-1), nullptr);
    EXPECT_EQ(FormatTemplate(5), nullptr);
}

TEST(GuidFormat, NullGuidIsTheAllZeroValue) {
    EXPECT_TRUE(IsNullGuid(GuidValue{}));
    EXPECT_FALSE(IsNullGuid(kExample));
    // Any one byte set makes a GUID.
    for (int byte = 0; byte < 16; ++byte) {
        SCOPED_TRACE(byte);
        GuidValue guid{};
        if (byte < 4) guid.data1 = 1u << (8 * byte);
        else if (byte < 6) guid.data2 = static_cast<std::uint16_t>(1u << (8 * (byte - 4)));
        else if (byte < 8) guid.data3 = static_cast<std::uint16_t>(1u << (8 * (byte - 6)));
        else guid.data4[byte - 8] = 0x80;
        EXPECT_FALSE(IsNullGuid(guid));
    }
}

}  // namespace
}  // namespace velmora::guid
