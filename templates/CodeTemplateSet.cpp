#include "templates/CodeTemplateSet.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "templates/TemplateLineReader.h"

namespace velmora {

namespace {

const std::u16string kEmpty;

// Where a header's "[", the first "|" after it and the first "]" after that
// stand; npos from the first one missing on.
struct HeaderMarks {
    std::size_t open = std::u16string::npos;
    std::size_t bar = std::u16string::npos;
    std::size_t close = std::u16string::npos;
};

// Index of the first `unit` in `text` at or after `from`, or npos. Every line
// read passes through here, so it tests four units at a time: a 64-bit word
// XORed with the unit repeated has a zero 16-bit lane exactly where the unit
// stands, and (x - 0x0001...) & ~x & 0x8000... is non-zero exactly when some
// lane is zero. The scan finishes unit by unit from the first word that holds
// the unit, or over the last units that do not fill a word.
std::size_t FindUnit(const std::u16string& text, char16_t unit, std::size_t from) {
    constexpr std::uint64_t kLow = 0x0001000100010001u;
    constexpr std::uint64_t kHigh = 0x8000800080008000u;
    const std::uint64_t repeated = kLow * unit;
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin + from;
    auto holds = [repeated](const char16_t* at) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        word ^= repeated;
        return ((word - kLow) & ~word & kHigh) != 0;
    };
    while (end - p >= 8 && !holds(p) && !holds(p + 4)) p += 8;
    if (end - p >= 4 && !holds(p)) p += 4;
    for (; p < end; ++p) {
        if (*p == unit) return static_cast<std::size_t>(p - begin);
    }
    return std::u16string::npos;
}

HeaderMarks FindHeaderMarks(const std::u16string& line) {
    HeaderMarks marks;
    marks.open = FindUnit(line, u'[', 0);
    if (marks.open == std::u16string::npos) return marks;
    marks.bar = FindUnit(line, u'|', marks.open + 1);
    if (marks.bar == std::u16string::npos) return marks;
    marks.close = FindUnit(line, u']', marks.bar + 1);
    return marks;
}

}  // namespace

std::u16string MakeDisplayText(const std::u16string& name, const std::u16string& description, std::size_t width) {
    std::u16string text;
    text.reserve(std::max(width, name.size()) + description.size());
    text = name;
    if (text.size() < width) text.append(width - text.size(), u' ');
    text += description;
    return text;
}

int CodeTemplateSet::GetCount() const { return static_cast<int>(entries.size()); }

int CodeTemplateSet::GetEntry(int index, TemplateEntry& entry) const {
    if (index < 0 || index >= GetCount()) return -1;
    entry = entries[static_cast<std::size_t>(index)];
    return 0;
}

const std::u16string& CodeTemplateSet::GetDisplayText(int index) const {
    if (index < 0 || index >= GetCount()) return kEmpty;
    return entries[static_cast<std::size_t>(index)].displayText;
}

int CodeTemplateSet::FindByDisplayText(std::u16string text) const {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].displayText == text) return static_cast<int>(i);
    }
    return -1;
}

int CodeTemplateSet::LoadForExtension(const std::u16string& extension) {
    std::vector<std::u16string> paths;
    if (ReadSetFile(extension, paths) != 0) return -1;
    if (paths.empty()) return -2;
    for (const std::u16string& path : paths) {
        if (ReadTemplateFile(path) != 0) return -1;
    }
    return 0;
}

bool CodeTemplateSet::IsHeaderLine(const std::u16string& line) const {
    return FindHeaderMarks(line).close != std::u16string::npos;
}

int CodeTemplateSet::TrimSpaces(std::u16string& text) const {
    std::size_t end = text.find_last_not_of(u' ');
    if (end == std::u16string::npos) {
        text.clear();
        return 0;
    }
    text.erase(end + 1);
    text.erase(0, text.find_first_not_of(u' '));
    return 0;
}

int CodeTemplateSet::ReadTemplateFile(const std::u16string& path) {
    std::unique_ptr<std::istream> in = files_->Open(path);
    if (!in) return -1;

    std::size_t firstNew = entries.size();
    std::size_t longestBefore = 0;
    for (const TemplateEntry& entry : entries) longestBefore = std::max(longestBefore, entry.name.size());

    // Each display text is built while its entry is at hand, with the width
    // known so far; the width only grows, so the entries built before the
    // last time it grew are built again at the end.
    std::size_t widenedAt = firstNew;

    // A header opens a new template and the lines after it are its body;
    // lines before the first header belong to no template and are dropped.
    // The body is gathered here and moved into the entry once the template
    // ends, so that the entry's list is allocated once at its final size.
    bool open = false;
    std::size_t longest = 0;
    std::vector<std::u16string> body;
    auto closeTemplate = [&]() {
        if (!open) return;
        std::vector<std::u16string>& lines = entries.back().lines;
        lines.reserve(body.size());
        for (std::u16string& bodyLine : body) lines.push_back(std::move(bodyLine));
        body.clear();
    };
    TemplateLineReader reader(*in, *files_);
    std::u16string line;
    while (reader.Next(line)) {
        HeaderMarks marks;
        if (IsHeaderLine(line) && (marks = FindHeaderMarks(line)).close != std::u16string::npos) {
            std::u16string name(line, marks.open + 1, marks.bar - marks.open - 1);
            std::u16string description(line, marks.bar + 1, marks.close - marks.bar - 1);
            TrimSpaces(name);
            TrimSpaces(description);
            if (!name.empty() && !description.empty()) {
                closeTemplate();
                if (name.size() > longest) {
                    longest = name.size();
                    if (longest > longestBefore) widenedAt = entries.size();
                }
                entries.emplace_back();
                TemplateEntry& entry = entries.back();
                entry.name = std::move(name);
                entry.description = std::move(description);
                entry.displayText =
                    MakeDisplayText(entry.name, entry.description, std::max(longest, longestBefore) + 2);
                open = true;
                continue;
            }
        }
        if (open) body.push_back(std::move(line));
    }
    closeTemplate();

    // One name column for the whole set, so that descriptions line up across
    // files: earlier entries are widened when this file brings a longer name.
    const std::size_t width = std::max(longest, longestBefore) + 2;
    const std::size_t from = longest > longestBefore ? 0 : firstNew;
    for (std::size_t i = from; i < widenedAt; ++i) {
        entries[i].displayText = MakeDisplayText(entries[i].name, entries[i].description, width);
    }
    return 0;
}

int CodeTemplateSet::ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) {
    std::unique_ptr<std::istream> in = files_->Open(files_->SetFilePath());
    if (!in) return -1;
    paths.clear();
    const std::u16string folder = files_->FolderPath();

    TemplateLineReader reader(*in, *files_);
    std::u16string line;
    while (reader.Next(line)) {
        std::size_t equals = line.rfind(u'=');
        if (equals == std::u16string::npos) continue;
        std::u16string name = line.substr(0, equals);
        TrimSpaces(name);
        if (name.empty()) continue;
        std::u16string items = line.substr(equals + 1);
        TrimSpaces(items);
        if (items.empty()) continue;

        bool matches = false;
        std::size_t position = 0;
        for (;;) {
            std::size_t separator = items.find(u';', position);
            std::u16string item = items.substr(position, separator == std::u16string::npos ? std::u16string::npos
                                                                                            : separator - position);
            TrimSpaces(item);
            if (item.empty()) break;
            if (item == extension || item == u"*") {
                matches = true;
                break;
            }
            if (separator == std::u16string::npos) break;
            position = separator + 1;
        }
        if (!matches) continue;

        std::u16string path = folder + name;
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(std::move(path));
    }
    return 0;
}

}  // namespace velmora
