#include "templates/CodeTemplateSet.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <utility>

#include "textfile/FindUnit.h"
#include "textfile/LineCursor.h"

namespace velmora {

namespace {

constexpr char16_t kEmpty[] = u"";

// Where a header's "[", the first "|" after it and the first "]" after that
// stand; npos from the first one missing on.
struct HeaderMarks {
    std::size_t open = std::u16string_view::npos;
    std::size_t bar = std::u16string_view::npos;
    std::size_t close = std::u16string_view::npos;
};

std::size_t Find(std::u16string_view text, std::size_t from, char16_t unit) {
    const char16_t* found = textfile::FindUnit(text.data() + from, text.data() + text.size(), unit);
    return found == text.data() + text.size() ? std::u16string_view::npos
                                              : static_cast<std::size_t>(found - text.data());
}

HeaderMarks FindHeaderMarks(std::u16string_view line) {
    HeaderMarks marks;
    marks.open = Find(line, 0, u'[');
    if (marks.open == std::u16string_view::npos) return marks;
    marks.bar = Find(line, marks.open + 1, u'|');
    if (marks.bar == std::u16string_view::npos) return marks;
    marks.close = Find(line, marks.bar + 1, u']');
    return marks;
}

// Whether `part` lies inside `whole`: a trimmed text must be a part of what
// was given to TrimSpaces, or it cannot be kept as a range.
bool Inside(std::u16string_view part, std::u16string_view whole) {
    return std::less_equal<const char16_t*>()(whole.data(), part.data()) &&
           std::less_equal<const char16_t*>()(part.data() + part.size(), whole.data() + whole.size());
}

std::uint32_t U32(std::size_t value) { return static_cast<std::uint32_t>(value); }

// The paths already listed, by index into the list, so that a repeat is
// found in constant time without a second copy of each path.
class PathIndex {
public:
    explicit PathIndex(const std::vector<std::u16string>& paths)
        : seen_(16, Hash{&paths}, Equal{&paths}) {}
    // False when the path at `index` is listed at an earlier index.
    bool Add(std::size_t index) { return seen_.insert(index).second; }

private:
    struct Hash {
        const std::vector<std::u16string>* paths;
        std::size_t operator()(std::size_t i) const { return std::hash<std::u16string>()((*paths)[i]); }
    };
    struct Equal {
        const std::vector<std::u16string>* paths;
        bool operator()(std::size_t a, std::size_t b) const { return (*paths)[a] == (*paths)[b]; }
    };
    std::unordered_set<std::size_t, Hash, Equal> seen_;
};

}  // namespace

std::u16string MakeDisplayText(std::u16string_view name, std::u16string_view description, std::size_t width) {
    std::u16string text;
    text.reserve(std::max(width, name.size()) + description.size());
    text.append(name);
    if (name.size() < width) text.append(width - name.size(), u' ');
    text.append(description);
    return text;
}

int CodeTemplateSet::GetCount() const { return static_cast<int>(complete_); }

int CodeTemplateSet::GetEntry(int index, TemplateEntry& entry) const {
    if (index < 0 || index >= GetCount()) return -1;
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    const std::u16string_view displayText = GetDisplayText(index);
    entry.displayText.assign(displayText);
    entry.name.assign(displayText.substr(0, e.nameLength));
    entry.description.assign(displayText.substr(width_, e.descriptionLength));
    entry.lines.clear();
    entry.lines.reserve(e.lineCount);
    const std::u16string_view body(text_.data() + e.body, e.bodyLength);
    std::size_t start = 0;
    for (std::uint32_t i = 0; i < e.lineCount; ++i) {
        const std::size_t lf = i + 1 < e.lineCount ? Find(body, start, u'\n') : body.size();
        const std::u16string_view line = body.substr(start, lf - start);
        entry.lines.emplace_back(line.substr(0, std::min(line.size(), Find(line, 0, u'\0'))));
        start = lf + 1;
    }
    return 0;
}

std::u16string_view CodeTemplateSet::GetDisplayText(int index) const {
    if (index < 0 || index >= GetCount()) return std::u16string_view(kEmpty, 0);
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return std::u16string_view(DisplayData(entry), width_ + entry.descriptionLength);
}

const char16_t* CodeTemplateSet::DisplayData(const Entry& entry) const {
    return entry.displayText & kOverflow ? overflow_.data() + (entry.displayText & ~kOverflow)
                                         : text_.data() + entry.displayText;
}

int CodeTemplateSet::FindByDisplayText(std::u16string_view text) const {
    for (int i = 0; i < GetCount(); ++i) {
        if (GetDisplayText(i) == text) return i;
    }
    return -1;
}

int CodeTemplateSet::LoadForExtension(const std::u16string& extension) {
    std::vector<std::u16string> paths;
    if (ReadSetFile(extension, paths) != 0) return -1;
    if (paths.empty()) return -2;
    if (!FitsTheBudget(paths)) return -1;
    // Room for every file's text, known from the sizes: one unit a byte and
    // a spare unit a file.
    std::uint64_t units = text_.size();
    for (const std::u16string& path : paths) {
        std::uint64_t size = 0;
        if (files_->FileSize(path, size)) units += size + 1;
    }
    text_.Reserve(static_cast<std::size_t>(std::min(units, 2 * kByteBudget)));
    for (const std::u16string& path : paths) {
        if (ReadTemplateFile(path) != 0) return -1;
    }
    return 0;
}

bool CodeTemplateSet::FitsTheBudget(const std::vector<std::u16string>& paths) const {
    std::uint64_t total = bytesRead_;
    for (const std::u16string& path : paths) {
        std::uint64_t size = 0;
        // The load stops at a file that cannot be read, so the files after
        // it do not count.
        if (!files_->FileSize(path, size)) return true;
        total += std::min(size, kByteBudget + 1);
        if (total > kByteBudget) return false;
    }
    return true;
}

bool CodeTemplateSet::IsHeaderLine(std::u16string_view line) const {
    // A part of a line the reader found to hold no "[" is no header.
    if (bracketFree_.data() != nullptr && line.data() == bracketFree_.data() && line.size() <= bracketFree_.size()) {
        return false;
    }
    return FindHeaderMarks(line).close != std::u16string_view::npos;
}

int CodeTemplateSet::TrimSpaces(std::u16string_view& text) const {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    text = text.substr(begin, end - begin);
    return 0;
}

int CodeTemplateSet::ReadTemplateFile(const std::u16string& path) {
    // The file's text goes after what the set holds, with a spare unit after
    // it, so that a last line without LF has room for a zero unit too.
    const std::size_t start = text_.size();
    std::u16string_view text;
    {
        std::string bytes;
        if (files_->ReadBytes(path, kByteBudget - bytesRead_, bytes) != textfile::ReadResult::Read) return -1;
        bytesRead_ += bytes.size();
        char16_t* out = text_.Extend(bytes.size() + 1);
        const std::size_t size = textfile::DecodeText(bytes, *files_, out);
        out[size] = u'\0';
        text_.Commit(size + 1);
        text = std::u16string_view(out, size);
    }

    const std::uint32_t file = U32(paths_.size());
    entries_.resize(complete_);  // nothing of a read that was cut short by an exception
    const std::size_t firstNew = complete_;
    std::size_t longest = 0;

    // A header opens a new template and the lines after it are its body;
    // lines before the first header belong to no template and are dropped.
    bool open = false;
    textfile::LineCursor lines(text);
    textfile::TextLine line;
    // The next "[" at or after the line: lines without one, most of a file,
    // are told to the header test as such, which then need not search them.
    std::size_t bracket = 0;
    while (lines.Next(line)) {
        if (bracket < line.start) bracket = Find(text, line.start, u'[');
        bracketFree_ = bracket < line.start + line.text.size() ? std::u16string_view() : line.text;
        if (IsHeaderLine(line.text)) {
            const HeaderMarks marks = FindHeaderMarks(line.text);
            if (marks.close != std::u16string_view::npos) {
                std::u16string_view name = line.text.substr(marks.open + 1, marks.bar - marks.open - 1);
                std::u16string_view description = line.text.substr(marks.bar + 1, marks.close - marks.bar - 1);
                const std::u16string_view givenName = name;
                const std::u16string_view givenDescription = description;
                TrimSpaces(name);
                TrimSpaces(description);
                if (!name.empty() && !description.empty() && Inside(name, givenName) &&
                    Inside(description, givenDescription)) {
                    // The header line will hold the display text: the name
                    // moves to its start now (only ever left, clear of the
                    // description), the rest once the width is known.
                    const std::size_t lineStart = start + line.start;
                    std::memmove(text_.data() + lineStart, name.data(), name.size() * sizeof(char16_t));
                    longest = std::max(longest, name.size());
                    entries_.push_back(Entry{file, U32(line.number), U32(lineStart), U32(line.end - line.start + 1),
                                             U32(name.size()), U32(description.data() - text_.data()),
                                             U32(description.size()), 0, 0, 0});
                    open = true;
                    continue;
                }
            }
        }
        if (open) {
            Entry& entry = entries_.back();
            if (entry.lineCount++ == 0) entry.body = U32(start + line.start);
            entry.bodyLength = U32(start + line.end) - entry.body;
        }
    }

    bracketFree_ = std::u16string_view();
    paths_.push_back(path);
    // One name column for the whole set, so that descriptions line up across
    // files: earlier entries are built again when this file brings a longer name.
    if (longest + 2 > width_) {
        BuildDisplayTexts(0, longest + 2);
    } else {
        BuildDisplayTexts(firstNew, width_);
    }
    complete_ = entries_.size();
    return 0;
}

void CodeTemplateSet::BuildDisplayTexts(std::size_t from, std::size_t width) {
    // Texts that do not fit their header line go to the overflow buffer.
    // When all are built anew, the old buffer is read while a new one fills;
    // otherwise only new entries are built, none of which is in it yet.
    std::u16string rebuilt;
    const std::u16string& old = overflow_;
    std::u16string& out = from == 0 ? rebuilt : overflow_;
    char16_t* const text = text_.data();
    for (std::size_t i = from; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        const bool wasOverflow = (entry.displayText & kOverflow) != 0;
        const char16_t* name = wasOverflow ? old.data() + (entry.displayText & ~kOverflow) : text + entry.displayText;
        const char16_t* description = (wasOverflow ? old.data() : text) + entry.description;
        const std::size_t nameLength = entry.nameLength;
        const std::size_t descriptionLength = entry.descriptionLength;
        if (!wasOverflow && width + descriptionLength + 1 <= entry.room) {
            // In place: the description moves first (right or left), then
            // the padding fills where it may have stood.
            char16_t* at = text + entry.displayText;
            std::memmove(at + width, description, descriptionLength * sizeof(char16_t));
            std::fill(at + nameLength, at + width, u' ');
            at[width + descriptionLength] = u'\0';
            entry.description = U32(entry.displayText + width);
        } else {
            const std::size_t at = out.size();
            out.append(name, nameLength);
            out.append(width - nameLength, u' ');
            out.append(description, descriptionLength);
            out += u'\0';
            entry.displayText = U32(at) | kOverflow;
            entry.description = U32(at + width);
        }
    }
    if (from == 0) overflow_.swap(rebuilt);
    width_ = width;
}

CodeTemplateSet::Origin CodeTemplateSet::OriginOf(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return {paths_[entry.file], entry.headerLine};
}

int CodeTemplateSet::ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) {
    std::u16string text;
    if (ReadConfigText(*files_, files_->SetFilePath(), kByteBudget, text) != textfile::ReadResult::Read) return -1;
    paths.clear();
    const std::u16string folder = files_->FolderPath();
    PathIndex listed(paths);

    textfile::LineCursor lines(text);
    textfile::TextLine line;
    while (lines.Next(line)) {
        const std::size_t equals = line.text.rfind(u'=');
        if (equals == std::u16string_view::npos) continue;
        std::u16string_view name = line.text.substr(0, equals);
        TrimSpaces(name);
        if (name.empty()) continue;
        std::u16string_view items = line.text.substr(equals + 1);
        TrimSpaces(items);
        if (items.empty()) continue;

        bool matches = false;
        for (std::size_t position = 0;;) {
            const std::size_t separator = items.find(u';', position);
            std::u16string_view item = items.substr(position, separator == std::u16string_view::npos
                                                                  ? std::u16string_view::npos
                                                                  : separator - position);
            TrimSpaces(item);
            if (item.empty()) break;
            if (item == extension || item == u"*") {
                matches = true;
                break;
            }
            if (separator == std::u16string_view::npos) break;
            position = separator + 1;
        }
        if (!matches) continue;

        std::u16string path;
        path.reserve(folder.size() + name.size());
        path.append(folder).append(name);
        paths.push_back(std::move(path));
        if (!listed.Add(paths.size() - 1)) paths.pop_back();
    }
    return 0;
}

}  // namespace velmora
