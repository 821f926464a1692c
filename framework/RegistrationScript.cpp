#include "framework/RegistrationScript.h"

#include <utility>

#include "textfile/AsciiCase.h"
#include "textfile/Encoding.h"

namespace velmora {
namespace {

// Deeper nesting than any COM registration needs; the limit keeps a hostile
// or broken script from exhausting the stack.
constexpr int MaxKeyDepth = 64;

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

using textfile::EqualIgnoringAsciiCase;
using textfile::FoldAscii;

// Script text quoted in a message, shortened so that a runaway token does not
// swamp it. Unpaired surrogates become U+FFFD.
std::string Quote(std::u16string_view text) {
    constexpr std::size_t limit = 40;
    std::string out = "'";
    std::size_t i = 0;
    for (; i < text.size() && i < limit; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        textfile::AppendUtf8(out, c);
    }
    if (i < text.size()) out += "...";
    out += "'";
    return out;
}

// Line and column (1-based) of a position in the text.
void Locate(std::u16string_view text, std::size_t position, ScriptError& error) {
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < position && i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    error.line = line;
    error.column = position - lineStart + 1;
}

bool Fail(std::u16string_view text, std::size_t position, std::string message, ScriptError& error) {
    Locate(text, position, error);
    error.message = std::move(message);
    return false;
}

// ---------------------------------------------------------------------------
// Tokens

enum class TokenKind { End, Word, Quoted, OpenBrace, CloseBrace, Equals };

struct Token {
    TokenKind kind = TokenKind::End;
    std::u16string text;  // Word: as written; Quoted: with '' turned into '
    std::size_t position = 0;
};

std::string Describe(const Token& token) {
    switch (token.kind) {
        case TokenKind::End: return "the end of the script";
        case TokenKind::Word: return Quote(token.text);
        case TokenKind::Quoted: return "the string " + Quote(token.text);
        case TokenKind::OpenBrace: return "'{'";
        case TokenKind::CloseBrace: return "'}'";
        case TokenKind::Equals: return "'='";
    }
    return "?";
}

class Tokenizer {
public:
    Tokenizer(std::u16string_view text, ScriptError& error) : text_(text), error_(error) {}

    // Reads the next token into `token`; false (with the error set) on bad text.
    bool Next(Token& token) {
        if (peeked_) {
            peeked_ = false;
            token = std::move(peek_);
            return true;
        }
        return Read(token);
    }

    bool Peek(const Token*& token) {
        if (!peeked_) {
            if (!Read(peek_)) return false;
            peeked_ = true;
        }
        token = &peek_;
        return true;
    }

    std::u16string_view Text() const { return text_; }

private:
    bool Read(Token& token) {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
        token.text.clear();
        token.position = pos_;
        if (pos_ == text_.size()) {
            token.kind = TokenKind::End;
            return true;
        }
        if (text_[pos_] == u'\'') {
            token.kind = TokenKind::Quoted;
            ++pos_;
            for (;;) {
                if (pos_ == text_.size())
                    return Fail(text_, token.position, "unterminated string (missing closing quote)", error_);
                char16_t c = text_[pos_++];
                if (c == u'\0') return Fail(text_, pos_ - 1, "NUL character in the script", error_);
                if (c == u'\'') {
                    if (pos_ < text_.size() && text_[pos_] == u'\'') {
                        ++pos_;
                    } else {
                        return true;
                    }
                }
                token.text += c;
            }
        }
        std::size_t start = pos_;
        while (pos_ < text_.size() && !IsSpace(text_[pos_])) {
            if (text_[pos_] == u'\0') return Fail(text_, pos_, "NUL character in the script", error_);
            if (text_[pos_] == u'\'')
                return Fail(text_, pos_, "quote inside a bare word (quote the whole name instead)", error_);
            ++pos_;
        }
        token.text.assign(text_.substr(start, pos_ - start));
        if (token.text == u"{") {
            token.kind = TokenKind::OpenBrace;
        } else if (token.text == u"}") {
            token.kind = TokenKind::CloseBrace;
        } else if (token.text == u"=") {
            token.kind = TokenKind::Equals;
        } else {
            token.kind = TokenKind::Word;
        }
        return true;
    }

    std::u16string_view text_;
    ScriptError& error_;
    std::size_t pos_ = 0;
    bool peeked_ = false;
    Token peek_;
};

// ---------------------------------------------------------------------------
// Parser

bool IsFlagWord(const Token& token, KeyFlag& flag) {
    if (token.kind != TokenKind::Word) return false;
    if (EqualIgnoringAsciiCase(token.text, u"NoRemove")) {
        flag = KeyFlag::NoRemove;
    } else if (EqualIgnoringAsciiCase(token.text, u"ForceRemove")) {
        flag = KeyFlag::ForceRemove;
    } else if (EqualIgnoringAsciiCase(token.text, u"Delete")) {
        flag = KeyFlag::Delete;
    } else {
        return false;
    }
    return true;
}

bool IsValWord(const Token& token) {
    return token.kind == TokenKind::Word && EqualIgnoringAsciiCase(token.text, u"val");
}

bool RootFromName(std::u16string_view name, RegistryRoot& root) {
    static const struct {
        std::u16string_view shortName;
        std::u16string_view longName;
        RegistryRoot root;
    } roots[] = {
        {u"HKCR", u"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
        {u"HKCU", u"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {u"HKLM", u"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
        {u"HKU", u"HKEY_USERS", RegistryRoot::Users},
        {u"HKCC", u"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    };
    for (const auto& entry : roots) {
        if (EqualIgnoringAsciiCase(name, entry.shortName) || EqualIgnoringAsciiCase(name, entry.longName)) {
            root = entry.root;
            return true;
        }
    }
    return false;
}

bool ParseNumber(std::u16string_view text, std::uint32_t& number) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    std::uint64_t value = 0;
    for (char16_t c : text) {
        unsigned digit;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (base == 16 && FoldAscii(c) >= u'a' && FoldAscii(c) <= u'f') {
            digit = FoldAscii(c) - u'a' + 10;
        } else {
            return false;
        }
        if (digit >= base) return false;
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return false;
    }
    number = static_cast<std::uint32_t>(value);
    return true;
}

class Parser {
public:
    Parser(std::u16string_view text, ScriptError& error) : tokens_(text, error), error_(error) {}

    bool ParseScript(RegistrationScript& script) {
        Token token;
        for (;;) {
            if (!tokens_.Next(token)) return false;
            if (token.kind == TokenKind::End) return true;
            if (token.kind == TokenKind::CloseBrace)
                return Fail(token, "unbalanced braces: '}' without a matching '{'");
            KeyFlag flag;
            if (IsFlagWord(token, flag))
                return Fail(token, "a root key cannot carry " + Quote(token.text) + "; flags belong to the keys inside it");
            ScriptRootKey root;
            if (token.kind != TokenKind::Word || !RootFromName(token.text, root.root))
                return Fail(token, "unknown root key " + Describe(token) +
                                       " (expected HKCR, HKCU, HKLM, HKU, HKCC or their HKEY_ names)");
            Token open;
            if (!tokens_.Next(open)) return false;
            if (open.kind != TokenKind::OpenBrace)
                return Fail(open, "expected '{' after root key " + Quote(token.text) + ", found " + Describe(open));
            if (!ParseBody(open, 1, nullptr, root.keys)) return false;
            script.roots.push_back(std::move(root));
        }
    }

private:
    bool Fail(const Token& token, std::string message) {
        return velmora::Fail(tokens_.Text(), token.position, std::move(message), error_);
    }

    // The entries between `open` and its closing brace, keys of level `depth`.
    // `owner` is the key whose body this is (null for a root, which cannot
    // hold values).
    bool ParseBody(const Token& open, int depth, ScriptKey* owner, std::vector<ScriptKey>& keys) {
        Token token;
        for (;;) {
            if (!tokens_.Next(token)) return false;
            switch (token.kind) {
                case TokenKind::CloseBrace:
                    return true;
                case TokenKind::End:
                    return Fail(open, "unbalanced braces: this '{' is never closed");
                case TokenKind::OpenBrace:
                    return Fail(token, "unexpected '{' (a key name must come before its braces)");
                case TokenKind::Equals:
                    return Fail(token, "unexpected '=' (a key name must come before its value)");
                case TokenKind::Word:
                case TokenKind::Quoted:
                    break;
            }
            if (IsValWord(token)) {
                if (owner == nullptr) return Fail(token, "a root key cannot hold values");
                if (!ParseNamedValue(*owner)) return false;
                continue;
            }
            ScriptKey key;
            if (!ParseKey(token, depth, key)) return false;
            keys.push_back(std::move(key));
        }
    }

    // A key entry of level `depth` starting at `first` (its flag or its name).
    bool ParseKey(const Token& first, int depth, ScriptKey& key) {
        Token name = first;
        if (IsFlagWord(first, key.flag)) {
            if (!tokens_.Next(name)) return false;
            KeyFlag second;
            if (IsFlagWord(name, second))
                return Fail(name, "a key can carry only one flag (quote the name if it is " + Quote(name.text) + ")");
            if (IsValWord(name)) return Fail(name, "'val' cannot carry a key flag (quote the name if it is a key)");
            if (name.kind != TokenKind::Word && name.kind != TokenKind::Quoted)
                return Fail(name, "expected a key name after " + Quote(first.text) + ", found " + Describe(name));
        }
        if (depth > MaxKeyDepth)
            return Fail(name, "keys are nested too deeply (more than " + std::to_string(MaxKeyDepth) + " levels)");
        if (!CheckName(name, "key name")) return false;
        key.name = std::move(name.text);

        const Token* next;
        if (!tokens_.Peek(next)) return false;
        if (next->kind == TokenKind::Equals) {
            Token equals;
            tokens_.Next(equals);
            ScriptValue value;
            if (!ParseTypedValue(equals, value)) return false;
            key.values.push_back(std::move(value));
            if (!tokens_.Peek(next)) return false;
        }
        if (next->kind == TokenKind::OpenBrace) {
            Token open;
            tokens_.Next(open);
            return ParseBody(open, depth + 1, &key, key.subkeys);
        }
        return true;
    }

    // `val Name = type 'value'`, after the word val.
    bool ParseNamedValue(ScriptKey& owner) {
        Token name;
        if (!tokens_.Next(name)) return false;
        if (name.kind != TokenKind::Word && name.kind != TokenKind::Quoted)
            return Fail(name, "expected a value name after 'val', found " + Describe(name));
        Token equals;
        if (!tokens_.Next(equals)) return false;
        if (equals.kind != TokenKind::Equals)
            return Fail(equals, "expected '=' after value name " + Quote(name.text) + ", found " + Describe(equals));
        ScriptValue value;
        value.name = std::move(name.text);
        if (!ParseTypedValue(equals, value)) return false;
        owner.values.push_back(std::move(value));
        return true;
    }

    // `type 'value'` after an '='.
    bool ParseTypedValue(const Token& equals, ScriptValue& value) {
        Token type;
        if (!tokens_.Next(type)) return false;
        if (type.kind != TokenKind::Word)
            return Fail(type, "expected a value type (s or d) after '=', found " + Describe(type));
        if (EqualIgnoringAsciiCase(type.text, u"s")) {
            value.kind = ScriptValue::Kind::String;
        } else if (EqualIgnoringAsciiCase(type.text, u"d")) {
            value.kind = ScriptValue::Kind::Dword;
        } else {
            return Fail(type, "unknown value type " + Quote(type.text) + " (expected s or d)");
        }
        Token data;
        if (!tokens_.Next(data)) return false;
        if (data.kind != TokenKind::Word && data.kind != TokenKind::Quoted)
            return Fail(data.kind == TokenKind::End ? equals : data,
                        "expected the value after " + Quote(type.text) + ", found " + Describe(data));
        if (value.kind == ScriptValue::Kind::Dword) {
            if (!ParseNumber(data.text, value.number))
                return Fail(data, "invalid number " + Quote(data.text) +
                                      " (expected decimal or 0x hexadecimal, at most 32 bits)");
        } else if (data.kind != TokenKind::Quoted) {
            return Fail(data, "string value " + Quote(data.text) + " must be in single quotes");
        } else {
            value.text = std::move(data.text);
        }
        return true;
    }

    bool CheckName(const Token& name, const char* what) {
        if (name.text.empty()) return Fail(name, std::string("empty ") + what);
        if (name.text.find(u'\\') != std::u16string::npos)
            return Fail(name, std::string(what) + " " + Quote(name.text) +
                                  " contains a backslash; nest the keys instead");
        return true;
    }

    Tokenizer tokens_;
    ScriptError& error_;
};

}  // namespace

bool DecodeScriptText(std::string_view bytes, std::u16string& text, ScriptError& error) {
    text.clear();
    error = ScriptError{};
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };

    if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        if (bytes.size() % 2 != 0) {
            error.message = "UTF-16 script text has an odd number of bytes";
            return false;
        }
        text.reserve(bytes.size() / 2 - 1);
        for (std::size_t i = 2; i < bytes.size(); i += 2)
            text += static_cast<char16_t>(byte(i) | (byte(i + 1) << 8));
    } else {
        const std::size_t mark = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        std::size_t bad = 0;
        if (!textfile::DecodeUtf8Strictly(bytes.substr(mark), text, bad)) {
            error.message = "script text is not valid UTF-8 (byte offset " + std::to_string(mark + bad) + ")";
            text.clear();
            return false;
        }
    }
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return true;
}

bool ApplyReplacements(std::u16string_view text, const ScriptReplacements& replacements, std::u16string& result,
                       ScriptError& error) {
    result.clear();
    error = ScriptError{};
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t percent = text.find(u'%', i);
        if (percent == std::u16string_view::npos) {
            result.append(text.substr(i));
            break;
        }
        result.append(text.substr(i, percent - i));
        const std::size_t close = text.find(u'%', percent + 1);
        if (close == std::u16string_view::npos) {
            result.clear();
            return Fail(text, percent, "'%' without a closing '%' (write %% for a percent sign)", error);
        }
        const std::u16string_view name = text.substr(percent + 1, close - percent - 1);
        if (name.empty()) {
            result += u'%';
        } else {
            const auto found = replacements.find(std::u16string(name));
            if (found == replacements.end()) {
                result.clear();
                return Fail(text, percent, "unknown placeholder " + Quote(text.substr(percent, close - percent + 1)),
                            error);
            }
            result += found->second;
        }
        i = close + 1;
    }
    return true;
}

bool ParseRegistrationScript(std::u16string_view text, RegistrationScript& script, ScriptError& error) {
    script = RegistrationScript{};
    error = ScriptError{};
    Parser parser(text, error);
    if (!parser.ParseScript(script)) {
        script = RegistrationScript{};
        return false;
    }
    return true;
}

std::u16string DoubleSingleQuotes(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        result += c;
        if (c == u'\'') result += u'\'';
    }
    return result;
}

}  // namespace velmora
