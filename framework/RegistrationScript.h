#pragma once
// Registration scripts: the text that describes the registry keys a COM server
// writes when it is registered and removes when it is unregistered.
//
//     HKCR
//     {
//         NoRemove CLSID
//         {
//             ForceRemove {...} = s 'Connect Class'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Apartment'
//                 }
//             }
//         }
//     }
//
// Tokens are separated by white space. A name is either a bare word or a
// string in single quotes, where '' stands for one quote; a quoted name is
// never taken as a keyword. Keywords and root names are matched ignoring ASCII
// case. Values: `= s 'text'` (string, always quoted) or `= d 'number'`
// (32-bit, decimal or 0x hexadecimal, quoted or bare). `Key = ...` sets the default value, `val Name = ...` a named
// one. Key flags: NoRemove (never deleted at unregistration), ForceRemove
// (deleted with its subkeys before registration writes it afresh), Delete
// (deleted with its subkeys at registration; nothing else is done with it).
//
// Placeholders such as %MODULE% are replaced in the raw text before parsing, so
// a replacement that lands inside a quoted string must have its single quotes
// doubled already; %% stands for one percent sign.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };

struct ScriptValue {
    enum class Kind { String, Dword };

    std::u16string name;  // empty for the key's default value
    Kind kind = Kind::String;
    std::u16string text;       // Kind::String
    std::uint32_t number = 0;  // Kind::Dword
};

struct ScriptKey {
    std::u16string name;  // one path component: never empty, no backslash
    KeyFlag flag = KeyFlag::None;
    std::vector<ScriptValue> values;  // in script order
    std::vector<ScriptKey> subkeys;   // in script order
};

struct ScriptRootKey {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    std::vector<ScriptKey> keys;
};

struct RegistrationScript {
    std::vector<ScriptRootKey> roots;  // in script order; a root may appear more than once
};

// Where and why a script was rejected. line and column are 1-based and count
// UTF-16 units; both are 0 when the failure has no position (bad encoding).
struct ScriptError {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
};

// Placeholder name, without the percent signs, to its replacement text.
using ScriptReplacements = std::map<std::u16string, std::u16string>;

// The script resource's bytes as UTF-16: UTF-8 (with or without a byte-order
// mark) or UTF-16LE with its byte-order mark. Trailing NUL units (resource
// padding) are dropped.
bool DecodeScriptText(std::string_view bytes, std::u16string& text, ScriptError& error);

// Replaces every %NAME% by its replacement and %% by %. An unknown name or a
// percent sign without its closing partner is an error.
bool ApplyReplacements(std::u16string_view text, const ScriptReplacements& replacements, std::u16string& result,
                       ScriptError& error);

// Parses a script (placeholders already replaced). On failure `script` is left
// empty and `error` tells where the text went wrong.
bool ParseRegistrationScript(std::u16string_view text, RegistrationScript& script, ScriptError& error);

// Doubles every single quote, for text that goes inside a quoted string.
std::u16string DoubleSingleQuotes(std::u16string_view text);

}  // namespace velmora
