#include "checker/ConfigLint.h"

#include "templates/CodeTemplateSet.h"
#include "templates/TemplateReadObserver.h"

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

bool IsBlank(std::u16string_view line) { return line.find_first_not_of(u" \t") == std::u16string_view::npos; }

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
    SetFileItems items(line);
    std::u16string_view item;
    while (items.Next(item)) {
        const std::size_t first = item.find_first_not_of(u" \t");
        if (first == std::u16string_view::npos) continue;
        if (item.find_first_of(u" \t", first) < item.find_last_not_of(u" \t")) return false;
        ++words;
    }
    return words >= 2;
}

bool HeaderLooksLikeCode(std::u16string_view beforeHeader) {
    for (const char16_t unit : beforeHeader) {
        if (IsWordUnit(unit) || unit == u'_' || unit == u'=' || unit == u'(' || unit == u'.' || unit == u',') {
            return true;
        }
    }
    return false;
}

namespace {

// CodeSet.ini as the set-file reader tells it.
class SetFileLint final : public TemplateReadObserver {
public:
    SetFileLint(std::vector<SetEntry>& entries, std::vector<Warning>& warnings)
        : entries_(entries), warnings_(warnings) {}

    void SetFileLineSkipped(std::size_t line, std::u16string_view text) override {
        EndEntry();
        const std::u16string whole(text);
        if (LooksLikeEntry(whole)) warnings_.push_back({Finding::LineWithoutEquals, kSetFile, line, whole});
    }
    void SetFileEntry(std::size_t line, std::u16string_view fileName) override {
        EndEntry();
        entries_.push_back({line, std::u16string(fileName), {}});
    }
    void SetFileItem(std::u16string_view item, bool served) override {
        if (served) {
            entries_.back().served.emplace_back(item);
        } else {
            lost_.append(lost_.empty() ? u"" : u";").append(item);
        }
    }
    // The items an empty one hid on the entry told last.
    void EndEntry() {
        if (!lost_.empty()) warnings_.push_back({Finding::EmptyItemEndsList, kSetFile, entries_.back().line, lost_});
        lost_.clear();
    }

private:
    std::vector<SetEntry>& entries_;
    std::vector<Warning>& warnings_;
    std::u16string lost_;
};

// A template file as the template reader tells it.
class TemplateFileLint final : public TemplateReadObserver {
public:
    TemplateFileLint(const std::u16string& file, std::vector<Warning>& warnings) : file_(file), warnings_(warnings) {}

    std::vector<HeaderAt> headers;
    bool opened = false;

    void TemplateFileOpened(std::u16string_view) override { opened = true; }
    void TemplateHeader(std::size_t line, std::u16string_view text, std::size_t open,
                        std::u16string_view name) override {
        EndTemplate();
        if (HeaderLooksLikeCode(text.substr(0, open))) {
            warnings_.push_back({Finding::BodyLineStartsTemplate, file_, line, std::u16string(text)});
        }
        headers.push_back({std::u16string(name), line});
    }
    void TemplateLine(std::size_t line, std::u16string_view text) override {
        if (!IsBlank(text)) {
            blankRun_ = 0;
        } else if (blankRun_ == 0) {
            blankRun_ = line;
        }
    }
    void EndTemplate() {
        if (!headers.empty() && blankRun_ != 0) {
            warnings_.push_back({Finding::EmptyLinesInTemplate, file_, blankRun_, headers.back().name});
        }
        blankRun_ = 0;
    }

private:
    const std::u16string& file_;
    std::vector<Warning>& warnings_;
    // The first of the empty lines that so far end the open template's body.
    std::size_t blankRun_ = 0;
};

}  // namespace

bool LintSetFile(const textfile::ConfigFileAccess& files, std::vector<SetEntry>& entries,
                 std::vector<Warning>& warnings) {
    SetFileLint lint(entries, warnings);
    CodeTemplateSet reader(files, &lint);
    std::vector<std::u16string> paths;
    const bool opened = reader.ReadSetFile(std::u16string(), paths) == 0;
    lint.EndEntry();
    return opened;
}

std::vector<HeaderAt> LintTemplateFile(const textfile::ConfigFileAccess& files, const std::u16string& file,
                                       bool& opened, std::vector<Warning>& warnings) {
    TemplateFileLint lint(file, warnings);
    CodeTemplateSet reader(files, &lint);
    reader.ReadTemplateFile(files.FolderPath() + file);
    lint.EndTemplate();
    opened = lint.opened;
    return std::move(lint.headers);
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
