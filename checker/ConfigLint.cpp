#include "checker/ConfigLint.h"

namespace velmora::checker {

namespace {

const char16_t kSetFile[] = u"CodeSet.ini";
const char16_t kGuidSetFile[] = u"GuidSet.ini";

bool IsAsciiLetterOrDigit(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9');
}

// Letters and digits of any script count as words; spaces and punctuation
// of the ASCII range and the ideographic space do not.
bool IsWordUnit(char16_t unit) { return IsAsciiLetterOrDigit(unit) || (unit >= 0x80 && unit != u'\u3000'); }

bool IsBlank(const std::u16string& line) { return line.find_first_not_of(u" \t") == std::u16string::npos; }

std::u16string Trimmed(const CodeTemplateSet& rules, std::u16string_view text) {
    rules.TrimSpaces(text);
    return std::u16string(text);
}

// "name.ext": a dot with a word unit on each side, nothing but word units
// and dots after the last dot.
bool IsFileName(const std::u16string& word) {
    const std::size_t dot = word.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0 || dot + 1 == word.size()) return false;
    if (!IsWordUnit(word[dot - 1])) return false;
    for (std::size_t i = dot + 1; i < word.size(); ++i) {
        if (!IsWordUnit(word[i])) return false;
    }
    return true;
}

}  // namespace

bool LooksLikeEntry(const std::u16string& line) {
    if (line.find(u'\uFF1D') != std::u16string::npos) return true;  // a full-width equals sign
    const std::size_t start = line.find_first_not_of(u" \t");
    if (start == std::u16string::npos) return false;
    const std::size_t wordEnd = line.find_first_of(u" \t:;", start);
    if (IsFileName(line.substr(start, wordEnd == std::u16string::npos ? std::u16string::npos : wordEnd - start))) {
        return true;
    }
    // Items alone: two or more, none with a blank inside ("cpp;h", not "; a note").
    std::size_t words = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t separator = line.find(u';', from);
        const std::size_t end = separator == std::u16string::npos ? line.size() : separator;
        const std::size_t first = line.find_first_not_of(u" \t", from);
        if (first < end) {
            const std::size_t last = line.find_last_not_of(u" \t", end - 1);
            if (line.find_first_of(u" \t", first) < last) return false;
            ++words;
        }
        if (separator == std::u16string::npos) return words >= 2;
        from = separator + 1;
    }
}

bool HeaderLooksLikeCode(const std::u16string& line) {
    const std::size_t open = line.find(u'[');
    for (std::size_t i = 0; i < open && i < line.size(); ++i) {
        const char16_t unit = line[i];
        if (IsWordUnit(unit) || unit == u'_' || unit == u'=' || unit == u'(' || unit == u'.' || unit == u',') {
            return true;
        }
    }
    return false;
}

std::vector<SetEntry> LintSetFile(const std::vector<std::u16string>& lines, const CodeTemplateSet& rules,
                                  std::vector<Warning>& warnings) {
    std::vector<SetEntry> entries;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::u16string& line = lines[index];
        const std::size_t number = index + 1;
        const std::size_t equals = line.rfind(u'=');
        if (equals == std::u16string::npos) {
            if (LooksLikeEntry(line)) warnings.push_back({Finding::LineWithoutEquals, kSetFile, number, line});
            continue;
        }
        SetEntry entry{number, Trimmed(rules, line.substr(0, equals)), {}};
        const std::u16string items = Trimmed(rules, line.substr(equals + 1));
        if (entry.fileName.empty() || items.empty()) continue;

        // The reader stops at the first empty item; the items after it are lost.
        bool ended = false;
        std::u16string lost;
        std::size_t from = 0;
        for (;;) {
            const std::size_t separator = items.find(u';', from);
            std::u16string item = Trimmed(
                rules, items.substr(from, separator == std::u16string::npos ? std::u16string::npos : separator - from));
            if (item.empty()) {
                ended = true;
            } else if (ended) {
                lost += (lost.empty() ? u"" : u";") + item;
            } else {
                entry.served.push_back(std::move(item));
            }
            if (separator == std::u16string::npos) break;
            from = separator + 1;
        }
        if (!lost.empty()) warnings.push_back({Finding::EmptyItemEndsList, kSetFile, number, lost});
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<HeaderAt> LintTemplateFile(const std::u16string& file, const std::vector<std::u16string>& lines,
                                       const CodeTemplateSet& rules, std::vector<Warning>& warnings) {
    std::vector<HeaderAt> headers;
    // The first of the empty lines that so far end the open template's body.
    std::size_t blankRun = 0;
    auto closeTemplate = [&]() {
        if (!headers.empty() && blankRun != 0) {
            warnings.push_back({Finding::EmptyLinesInTemplate, file, blankRun, headers.back().name});
        }
        blankRun = 0;
    };
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::u16string& line = lines[index];
        const std::size_t number = index + 1;
        if (rules.IsHeaderLine(line)) {
            // The name and description as the reader cuts them: both must be non-empty.
            const std::size_t open = line.find(u'[');
            const std::size_t bar = line.find(u'|', open + 1);
            const std::size_t close = line.find(u']', bar + 1);
            std::u16string name = Trimmed(rules, line.substr(open + 1, bar - open - 1));
            const std::u16string description = Trimmed(rules, line.substr(bar + 1, close - bar - 1));
            if (!name.empty() && !description.empty()) {
                closeTemplate();
                if (HeaderLooksLikeCode(line)) {
                    warnings.push_back({Finding::BodyLineStartsTemplate, file, number, line});
                }
                headers.push_back({std::move(name), number});
                continue;
            }
        }
        if (!IsBlank(line)) {
            blankRun = 0;
        } else if (blankRun == 0) {
            blankRun = number;
        }
    }
    closeTemplate();
    return headers;
}

void LintGuidSet(const std::optional<std::u16string>& text, std::vector<Warning>& warnings) {
    if (!text) {
        warnings.push_back({Finding::GuidSetMissing, kGuidSetFile, 0, {}});
        return;
    }
    if (text->size() == 1 && (*text)[0] >= u'0' && (*text)[0] <= u'4') return;
    warnings.push_back({Finding::GuidSetContent, kGuidSetFile, 1, *text});
}

}  // namespace velmora::checker
