#include "templates/CodeTemplateSet.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velmora {

namespace {

const std::u16string kEmpty;

// Reads a text stream one line at a time: up to the next LF (consumed, not
// kept), cut at the first zero byte, converted to UTF-16. A last line without
// LF counts; an LF at the very end gives no extra empty line.
class LineReader {
public:
    LineReader(std::istream& in, const TemplateFileAccess& files) : in_(in), files_(files) {}

    bool Next(std::u16string& line) {
        if (!std::getline(in_, bytes_)) return false;
        const void* zero = std::memchr(bytes_.data(), '\0', bytes_.size());
        std::size_t length = zero ? static_cast<const char*>(zero) - bytes_.data() : bytes_.size();
        files_.ToUtf16(std::string_view(bytes_.data(), length), line);
        return true;
    }

private:
    std::istream& in_;
    const TemplateFileAccess& files_;
    std::string bytes_;
};

// Where a header's "[", the first "|" after it and the first "]" after that
// stand; npos from the first one missing on.
struct HeaderMarks {
    std::size_t open = std::u16string::npos;
    std::size_t bar = std::u16string::npos;
    std::size_t close = std::u16string::npos;
};

HeaderMarks FindHeaderMarks(const std::u16string& line) {
    HeaderMarks marks;
    marks.open = line.find(u'[');
    if (marks.open == std::u16string::npos) return marks;
    marks.bar = line.find(u'|', marks.open + 1);
    if (marks.bar == std::u16string::npos) return marks;
    marks.close = line.find(u']', marks.bar + 1);
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

    // A header opens a new entry and the lines after it go into that entry;
    // lines before the first header belong to no template and are dropped.
    bool open = false;
    std::size_t longest = 0;
    LineReader reader(*in, *files_);
    std::u16string line;
    while (reader.Next(line)) {
        HeaderMarks marks;
        if (IsHeaderLine(line) && (marks = FindHeaderMarks(line)).close != std::u16string::npos) {
            std::u16string name = line.substr(marks.open + 1, marks.bar - marks.open - 1);
            std::u16string description = line.substr(marks.bar + 1, marks.close - marks.bar - 1);
            TrimSpaces(name);
            TrimSpaces(description);
            if (!name.empty() && !description.empty()) {
                longest = std::max(longest, name.size());
                entries.emplace_back();
                entries.back().name = std::move(name);
                entries.back().description = std::move(description);
                open = true;
                continue;
            }
        }
        if (open) entries.back().lines.push_back(std::move(line));
    }

    // One name column for the whole set, so that descriptions line up across
    // files: earlier entries are widened when this file brings a longer name.
    std::size_t width = std::max(longest, longestBefore) + 2;
    std::size_t from = longest > longestBefore ? 0 : firstNew;
    for (std::size_t i = from; i < entries.size(); ++i) {
        entries[i].displayText = MakeDisplayText(entries[i].name, entries[i].description, width);
    }
    return 0;
}

int CodeTemplateSet::ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) {
    std::unique_ptr<std::istream> in = files_->Open(files_->SetFilePath());
    if (!in) return -1;
    paths.clear();
    const std::u16string folder = files_->FolderPath();

    LineReader reader(*in, *files_);
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
