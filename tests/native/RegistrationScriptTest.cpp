#include "framework/RegistrationScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/native/ScriptErrorText.h"

namespace velmora {
namespace {

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Enough for the tests: everything else as \uXXXX.
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out += buffer;
        }
    }
    return out;
}

std::u16string U16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

const char* FlagName(KeyFlag flag) {
    switch (flag) {
        case KeyFlag::None: return "";
        case KeyFlag::NoRemove: return "NoRemove ";
        case KeyFlag::ForceRemove: return "ForceRemove ";
        case KeyFlag::Delete: return "Delete ";
    }
    return "? ";
}

const char* RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return "HKCR";
        case RegistryRoot::CurrentUser: return "HKCU";
        case RegistryRoot::LocalMachine: return "HKLM";
        case RegistryRoot::Users: return "HKU";
        case RegistryRoot::CurrentConfig: return "HKCC";
    }
    return "?";
}

// One line per key: "[flag ]ROOT\path" followed by its values in order, each
// as " name=s:text" or " name=d:number" (the default value has no name).
void Dump(const ScriptKey& key, const std::string& parent, std::vector<std::string>& lines) {
    const std::string path = parent + "\\" + Utf8(key.name);
    std::string line = FlagName(key.flag) + path;
    for (const ScriptValue& value : key.values) {
        line += " " + Utf8(value.name) + "=";
        line += value.kind == ScriptValue::Kind::String ? "s:" + Utf8(value.text) : "d:" + std::to_string(value.number);
    }
    lines.push_back(line);
    for (const ScriptKey& subkey : key.subkeys) Dump(subkey, path, lines);
}

std::vector<std::string> Dump(const RegistrationScript& script) {
    std::vector<std::string> lines;
    for (const ScriptRootKey& root : script.roots) {
        lines.push_back(RootName(root.root));
        for (const ScriptKey& key : root.keys) Dump(key, RootName(root.root), lines);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

// ---------------------------------------------------------------------------

TEST(RegistrationScript, ShippedConnectScriptHoldsTheClassRegistration) {
    // The script as the build makes it from resources/Connect.rgs.in.
    const std::string path = VELMORA_CONNECT_RGS;
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    std::stringstream bytes;
    bytes << file.rdbuf();

    ScriptError error;
    std::u16string text;
    ASSERT_TRUE(DecodeScriptText(bytes.str(), text, error)) << FormatScriptError(error);
    std::u16string replaced;
    const ScriptReplacements replacements = {{u"MODULE", DoubleSingleQuotes(u"C:\\Bob's \"add-ins\"\\velmora.dll")}};
    ASSERT_TRUE(ApplyReplacements(text, replacements, replaced, error)) << FormatScriptError(error);
    RegistrationScript script;
    ASSERT_TRUE(ParseRegistrationScript(replaced, script, error)) << FormatScriptError(error);

    const std::string clsid = "{96B79E67-A8A4-4B68-9BB5-7572B98C12E8}";
    const std::vector<std::string> expected = {
        "HKCR",
        "HKCR\\Velmora.Connect.1 =s:Connect Class",
        "HKCR\\Velmora.Connect.1\\CLSID =s:" + clsid,
        "HKCR\\Velmora.Connect =s:Connect Class",
        "HKCR\\Velmora.Connect\\CLSID =s:" + clsid,
        "HKCR\\Velmora.Connect\\CurVer =s:Velmora.Connect.1",
        "NoRemove HKCR\\CLSID",
        "ForceRemove HKCR\\CLSID\\" + clsid + " =s:Connect Class",
        "HKCR\\CLSID\\" + clsid + "\\ProgID =s:Velmora.Connect.1",
        "HKCR\\CLSID\\" + clsid + "\\VersionIndependentProgID =s:Velmora.Connect",
        "ForceRemove HKCR\\CLSID\\" + clsid + "\\Programmable",
        "HKCR\\CLSID\\" + clsid + "\\InprocServer32 =s:C:\\Bob's \"add-ins\"\\velmora.dll ThreadingModel=s:Apartment",
        "HKCR\\CLSID\\" + clsid + "\\TypeLib =s:{1A4FDA34-CB3B-4835-9258-559A99D31FF8}",
    };
    EXPECT_EQ(Joined(expected), Joined(Dump(script)));
}

struct ParseCase {
    const char* name;
    const char* script;
    std::vector<std::string> dump;
};

TEST(RegistrationScript, ParsesKeysValuesAndFlags) {
    const ParseCase cases[] = {
        {"empty script", "", {}},
        {"only white space", " \r\n\t ", {}},
        {"empty root", "HKCR { }", {"HKCR"}},
        {"root names, short and long, any case",
         "hkcr { }\nHKEY_CURRENT_USER { } HKLM { } hkey_users { } HKCC { } HKEY_CLASSES_ROOT { }",
         {"HKCR", "HKCU", "HKLM", "HKU", "HKCC", "HKCR"}},
        {"bare key without value or body", "HKCU { Software }", {"HKCU", "HKCU\\Software"}},
        {"default value", "HKCR { A = s 'text' }", {"HKCR", "HKCR\\A =s:text"}},
        {"doubled quote in a value is one quote", "HKCR { A = s 'it''s ''x''' }", {"HKCR", "HKCR\\A =s:it's 'x'"}},
        {"string of only a quote", "HKCR { A = s '''' }", {"HKCR", "HKCR\\A =s:'"}},
        {"empty string value", "HKCR { A = s '' }", {"HKCR", "HKCR\\A =s:"}},
        {"white space and braces inside a string are text",
         "HKCR { A = s ' { x } = ' }",
         {"HKCR", "HKCR\\A =s: { x } = "}},
        {"quoted key names, with spaces and quotes", "HKCR { 'My Key' { 'Bob''s' = s 'v' } }",
         {"HKCR", "HKCR\\My Key", "HKCR\\My Key\\Bob's =s:v"}},
        {"braced GUID as a bare key name",
         "HKCR { {96B79E67-A8A4-4B68-9BB5-7572B98C12E8} = s 'x' { y } }",
         {"HKCR", "HKCR\\{96B79E67-A8A4-4B68-9BB5-7572B98C12E8} =s:x",
          "HKCR\\{96B79E67-A8A4-4B68-9BB5-7572B98C12E8}\\y"}},
        {"nested keys keep script order",
         "HKCU\n{\n\tA\n\t{\n\t\tB { C }\n\t\tD\n\t}\n\tE\n}\n",
         {"HKCU", "HKCU\\A", "HKCU\\A\\B", "HKCU\\A\\B\\C", "HKCU\\A\\D", "HKCU\\E"}},
        {"named values in order, default first when written first",
         "HKCR { K = s 'def' { val One = s '1' val 'Two words' = s '2' val N = d '42' } }",
         {"HKCR", "HKCR\\K =s:def One=s:1 Two words=s:2 N=d:42"}},
        {"val with an empty quoted name sets the default value", "HKCR { K { val '' = s 'x' } }",
         {"HKCR", "HKCR\\K =s:x"}},
        {"dword: decimal, hexadecimal, limits, bare",
         "HKCU { K { val A = d '0' val B = d '4294967295' val C = d '0xFFFFFFFF' val D = d '0x1f' val E = d 17 } }",
         {"HKCU", "HKCU\\K A=d:0 B=d:4294967295 C=d:4294967295 D=d:31 E=d:17"}},
        {"value type letters ignore case", "HKCU { K = S 'x' { val N = D '5' } }", {"HKCU", "HKCU\\K =s:x N=d:5"}},
        {"flags, any case",
         "HKCR { NoRemove A { forceremove B delete C } FORCEREMOVE D = s 'd' }",
         {"HKCR", "NoRemove HKCR\\A", "ForceRemove HKCR\\A\\B", "Delete HKCR\\A\\C", "ForceRemove HKCR\\D =s:d"}},
        {"quoted keywords are plain names",
         "HKCR { 'NoRemove' 'val' { 'Delete' = s 'x' } }",
         {"HKCR", "HKCR\\NoRemove", "HKCR\\val", "HKCR\\val\\Delete =s:x"}},
        {"value name may be a keyword", "HKCR { K { val NoRemove = s 'x' } }", {"HKCR", "HKCR\\K NoRemove=s:x"}},
        {"string right before a closing brace", "HKCR { A = s 'x'}", {"HKCR", "HKCR\\A =s:x"}},
        {"CRLF line ends and tabs", "HKCR\r\n{\r\n\tA = s 'x'\r\n}\r\n", {"HKCR", "HKCR\\A =s:x"}},
        {"same root twice", "HKCU { A } HKCU { B }", {"HKCU", "HKCU\\A", "HKCU", "HKCU\\B"}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegistrationScript script;
        ScriptError error;
        ASSERT_TRUE(ParseRegistrationScript(U16(c.script), script, error)) << FormatScriptError(error);
        EXPECT_EQ(Joined(c.dump), Joined(Dump(script)));
    }
}

TEST(RegistrationScript, NonAsciiTextSurvives) {
    RegistrationScript script;
    ScriptError error;
    ASSERT_TRUE(ParseRegistrationScript(u"HKCU { '\u30AD\u30FC' = s '\u5024\U0001F600' }", script, error))
        << FormatScriptError(error);
    ASSERT_EQ(1u, script.roots.size());
    ASSERT_EQ(1u, script.roots[0].keys.size());
    EXPECT_EQ(u"\u30AD\u30FC", script.roots[0].keys[0].name);
    ASSERT_EQ(1u, script.roots[0].keys[0].values.size());
    EXPECT_EQ(u"\u5024\U0001F600", script.roots[0].keys[0].values[0].text);
}

struct ErrorCase {
    const char* name;
    std::u16string script;
    std::size_t line;
    std::size_t column;
    const char* message;  // a part of the message
};

TEST(RegistrationScript, RejectsBrokenScriptsWithTheirPosition) {
    const ErrorCase cases[] = {
        {"unknown root", u"HKXX { }", 1, 1, "unknown root key 'HKXX'"},
        {"root name in quotes is not a root", u"'HKCR' { }", 1, 1, "unknown root key the string 'HKCR'"},
        {"key outside any root", u"HKCR { }\nCLSID { }", 2, 1, "unknown root key 'CLSID'"},
        {"flag on a root", u"NoRemove HKCR { }", 1, 1, "a root key cannot carry 'NoRemove'"},
        {"root without braces", u"HKCR", 1, 5, "expected '{' after root key 'HKCR', found the end of the script"},
        {"root followed by a name", u"HKCR A { }", 1, 6, "expected '{' after root key 'HKCR', found 'A'"},
        {"root never closed", u"HKCR\n{\n  A\n", 2, 1, "unbalanced braces: this '{' is never closed"},
        {"inner key never closed", u"HKCR {\n A {\n  B\n", 2, 4, "unbalanced braces: this '{' is never closed"},
        {"closing brace missing at the end", u"HKCR {\n A {\n  B\n }", 1, 6, "this '{' is never closed"},
        {"brace glued to a root name", u"HKCR{ }", 1, 1, "unknown root key 'HKCR{'"},
        {"one closing brace too many", u"HKCR { A { } }\n}", 2, 1, "'}' without a matching '{'"},
        {"braces without a key name", u"HKCR { { } }", 1, 8, "unexpected '{'"},
        {"value without a key name", u"HKCR { = s 'x' }", 1, 8, "unexpected '='"},
        {"unterminated value string", u"HKCR {\n A = s 'abc\n}\n", 2, 8, "unterminated string"},
        {"unterminated key name", u"HKCR { 'abc }", 1, 8, "unterminated string"},
        {"string ending in a doubled quote", u"HKCR { A = s 'it''", 1, 14, "unterminated string"},
        {"quote inside a bare word", u"HKCR { Bob's }", 1, 11, "quote inside a bare word"},
        {"empty key name", u"HKCR { '' }", 1, 8, "empty key name"},
        {"backslash in a key name", u"HKCR { 'A\\B' }", 1, 8, "contains a backslash"},
        {"backslash in a bare key name", u"HKCR { CLSID\\X }", 1, 8, "contains a backslash"},
        {"two flags", u"HKCR { NoRemove ForceRemove A }", 1, 17, "only one flag"},
        {"flag on val", u"HKCR { A { NoRemove val X = s 'x' } }", 1, 21, "'val' cannot carry a key flag"},
        {"flag without a key", u"HKCR { NoRemove }", 1, 17, "expected a key name after 'NoRemove', found '}'"},
        {"val at root level", u"HKCR { val X = s 'x' }", 1, 8, "a root key cannot hold values"},
        {"val without '='", u"HKCR { A { val X s 'x' } }", 1, 18, "expected '=' after value name 'X'"},
        {"val without a name", u"HKCR { A { val = s 'x' } }", 1, 16, "expected a value name after 'val'"},
        {"unknown value type", u"HKCR { A = b '01' }", 1, 12, "unknown value type 'b'"},
        {"missing value type", u"HKCR { A = 'x' }", 1, 12, "expected a value type"},
        {"missing value", u"HKCR { A = s }", 1, 14, "expected the value after 's', found '}'"},
        {"bare string value", u"HKCR { A = s\n B }", 2, 2, "string value 'B' must be in single quotes"},
        {"value cut off by the end", u"HKCR { A = s", 1, 10, "found the end of the script"},
        {"number too large", u"HKCU { A { val N = d '4294967296' } }", 1, 22, "invalid number"},
        {"hex number too large", u"HKCU { A { val N = d '0x100000000' } }", 1, 22, "invalid number"},
        {"negative number", u"HKCU { A { val N = d '-1' } }", 1, 22, "invalid number"},
        {"bare 0x", u"HKCU { A { val N = d '0x' } }", 1, 22, "invalid number"},
        {"empty number", u"HKCU { A { val N = d '' } }", 1, 22, "invalid number"},
        {"letters in a decimal number", u"HKCU { A { val N = d '12ab' } }", 1, 22, "invalid number"},
        {"second value on a key", u"HKCR { A = s 'x' = s 'y' }", 1, 18, "unexpected '='"},
        {"NUL inside a string", std::u16string(u"HKCR { A = s 'a", 15) + u'\0' + u"b' }", 1, 16, "NUL character"},
        {"NUL in a bare word", std::u16string(u"HKCR { A", 8) + u'\0' + u" }", 1, 9, "NUL character"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegistrationScript script;
        script.roots.push_back({});  // must come back empty
        ScriptError error;
        EXPECT_FALSE(ParseRegistrationScript(c.script, script, error));
        EXPECT_TRUE(script.roots.empty());
        EXPECT_EQ(c.line, error.line);
        EXPECT_EQ(c.column, error.column);
        EXPECT_NE(std::string::npos, error.message.find(c.message)) << error.message;
        EXPECT_EQ(0u, FormatScriptError(error).find("line " + std::to_string(c.line) + ", column " +
                                                    std::to_string(c.column) + ": "));
    }
}

TEST(RegistrationScript, DeepNestingIsRejectedNotOverflowed) {
    auto nested = [](int keys) {
        std::u16string text = u"HKCU {";
        for (int i = 0; i < keys; ++i) text += u" k {";
        for (int i = 0; i <= keys; ++i) text += u" }";
        return text;
    };
    RegistrationScript script;
    ScriptError error;
    // Sixty-four keys deep (each with an empty body) is the limit.
    ASSERT_TRUE(ParseRegistrationScript(nested(64), script, error)) << FormatScriptError(error);
    const ScriptKey* key = &script.roots.at(0).keys.at(0);
    int depth = 1;
    while (!key->subkeys.empty()) {
        key = &key->subkeys[0];
        ++depth;
    }
    EXPECT_EQ(64, depth);

    for (int keys : {65, 100000}) {
        SCOPED_TRACE(keys);
        EXPECT_FALSE(ParseRegistrationScript(nested(keys), script, error));
        EXPECT_NE(std::string::npos, error.message.find("nested too deeply")) << error.message;
    }
}

TEST(RegistrationScript, LongTokensAreShortenedInMessages) {
    const std::u16string name(5000, u'x');
    RegistrationScript script;
    ScriptError error;
    EXPECT_FALSE(ParseRegistrationScript(name + u" { }", script, error));
    EXPECT_LT(error.message.size(), 200u);
}

struct ReplaceCase {
    const char* name;
    std::u16string text;
    std::u16string result;
};

TEST(RegistrationScript, ReplacesPlaceholders) {
    const ScriptReplacements replacements = {
        {u"MODULE", u"C:\\it''s\\velmora.dll"},
        {u"PERCENT", u"%MODULE%"},
        {u"EMPTY", u""},
    };
    const ReplaceCase cases[] = {
        {"no placeholder", u"HKCR { A }", u"HKCR { A }"},
        {"module", u"= s '%MODULE%'", u"= s 'C:\\it''s\\velmora.dll'"},
        {"twice, side by side", u"%MODULE%%MODULE%", u"C:\\it''s\\velmora.dllC:\\it''s\\velmora.dll"},
        {"double percent is one percent", u"100%% %%MODULE%%", u"100% %MODULE%"},
        {"replacement text is not scanned again", u"[%PERCENT%]", u"[%MODULE%]"},
        {"empty replacement", u"a%EMPTY%b", u"ab"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string result = u"stale";
        ScriptError error;
        ASSERT_TRUE(ApplyReplacements(c.text, replacements, result, error)) << FormatScriptError(error);
        EXPECT_EQ(c.result, result);
    }

    const ErrorCase errors[] = {
        {"unknown placeholder", u"HKCR {\n A = s '%module%' }", 2, 9, "unknown placeholder '%module%'"},
        {"unclosed percent", u"HKCR { A = s '50%' }", 1, 17, "'%' without a closing '%'"},
        {"odd percent after a pair", u"%%%", 1, 3, "without a closing"},
    };
    for (const ErrorCase& c : errors) {
        SCOPED_TRACE(c.name);
        std::u16string result;
        ScriptError error;
        EXPECT_FALSE(ApplyReplacements(c.script, replacements, result, error));
        EXPECT_TRUE(result.empty());
        EXPECT_EQ(c.line, error.line);
        EXPECT_EQ(c.column, error.column);
        EXPECT_NE(std::string::npos, error.message.find(c.message)) << error.message;
    }
}

TEST(RegistrationScript, QuotedModulePathComesBackUnchanged) {
    const std::u16string paths[] = {
        u"C:\\Program Files\\velmora.dll",
        u"C:\\Bob's\\velmora.dll",
        u"'",
        u"C:\\''\\x'",
        u"C:\\100%\\{braces} = s\\v.dll",
    };
    for (const std::u16string& path : paths) {
        SCOPED_TRACE(Utf8(path));
        std::u16string text;
        ScriptError error;
        ASSERT_TRUE(ApplyReplacements(u"HKCU { K = s '%MODULE%' }", {{u"MODULE", DoubleSingleQuotes(path)}}, text,
                                      error));
        RegistrationScript script;
        ASSERT_TRUE(ParseRegistrationScript(text, script, error)) << FormatScriptError(error);
        ASSERT_EQ(1u, script.roots.at(0).keys.at(0).values.size());
        EXPECT_EQ(path, script.roots[0].keys[0].values[0].text);
    }
    EXPECT_EQ(u"a''b''''", DoubleSingleQuotes(u"a'b''"));
    EXPECT_EQ(u"", DoubleSingleQuotes(u""));
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string text;
};

TEST(RegistrationScript, DecodesResourceBytes) {
    const DecodeCase cases[] = {
        {"ASCII", "HKCR { }", u"HKCR { }"},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBFHKCR", u"HKCR"},
        {"UTF-8 multi-byte", "\xC3\xA9\xE3\x82\xAD\xF0\x9F\x98\x80", u"\u00E9\u30AD\U0001F600"},
        {"trailing NUL padding dropped", std::string("HKCR\0\0\0", 7), u"HKCR"},
        {"UTF-16LE with byte-order mark", std::string("\xFF\xFEH\0K\0\xAD\x30", 8), u"HK\u30AD"},
        {"UTF-16LE with padding", std::string("\xFF\xFEH\0\0\0", 6), u"H"},
        {"nothing", "", u""},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string text;
        ScriptError error;
        ASSERT_TRUE(DecodeScriptText(c.bytes, text, error)) << error.message;
        EXPECT_EQ(c.text, text);
    }

    const std::string invalid[] = {
        "\x80",                   // continuation without a lead byte
        "ab\xC3",                 // cut-off sequence
        "\xC0\xAF",               // overlong slash
        "\xE0\x80\xAF",           // overlong, three bytes
        "\xED\xA0\x80",           // encoded surrogate
        "\xF4\x90\x80\x80",       // beyond U+10FFFF
        "\xFF\xFEH",              // UTF-16 with an odd byte count
        "\xC3\x28",               // lead byte followed by ASCII
    };
    for (const std::string& bytes : invalid) {
        SCOPED_TRACE(bytes);
        std::u16string text = u"stale";
        ScriptError error;
        EXPECT_FALSE(DecodeScriptText(bytes, text, error));
        EXPECT_TRUE(text.empty());
        EXPECT_EQ(0u, error.line);
        EXPECT_FALSE(error.message.empty());
    }
}

}  // namespace
}  // namespace velmora
