// Feeds arbitrary bytes through the whole script path: decoding, placeholder
// replacement and parsing. Any input must end in success or a reported error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "framework/RegistrationScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    std::u16string text;
    ScriptError error;
    if (!DecodeScriptText(std::string_view(reinterpret_cast<const char*>(data), size), text, error)) {
        if (error.message.empty()) std::abort();
        return 0;
    }
    std::u16string replaced;
    if (!ApplyReplacements(text, {{u"MODULE", DoubleSingleQuotes(u"C:\\a'b\\v.dll")}}, replaced, error)) {
        if (error.message.empty() || error.line == 0) std::abort();
        return 0;
    }
    RegistrationScript script;
    if (!ParseRegistrationScript(replaced, script, error)) {
        if (error.message.empty() || error.line == 0 || !script.roots.empty()) std::abort();
        return 0;
    }
    for (const ScriptRootKey& root : script.roots)
        for (const ScriptKey& key : root.keys)
            if (key.name.empty() || key.name.find(u'\\') != std::u16string::npos) std::abort();
    return 0;
}
