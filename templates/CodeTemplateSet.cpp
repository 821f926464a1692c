#include "templates/CodeTemplateSet.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "textfile/FindUnit.h"
#include "textfile/LineCursor.h"

namespace velmora {

namespace {

constexpr char16_t kEmpty[] = u"";

std::size_t Find(std::u16string_view text, std::size_t from, char16_t unit) {
    const char16_t* found = textfile::FindUnit(text.data() + from, text.data() + text.size(), unit);
    return found == text.data() + text.size() ? std::u16string_view::npos
                                              : static_cast<std::size_t>(found - text.data());
}

// The marks of a line whose first "[" stands at `open` (npos: nowhere).
CodeTemplateSet::HeaderMarks FindHeaderMarks(std::u16string_view line, std::size_t open) {
    CodeTemplateSet::HeaderMarks marks;
    marks.open = open;
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
// found in constant time without a second copy of each path: an open hash
// table, one block of slots sized for the lines the set file has, so that
// it is never more than half full.
class PathIndex {
public:
    PathIndex(const std::vector<std::u16string>& paths, std::size_t lines) : paths_(paths) {
        std::size_t size = 16;
        while (size < 2 * lines) size *= 2;
        slots_.resize(size);
    }

    // False when the path at `index` is listed at an earlier index.
    bool Add(std::size_t index) {
        const std::u16string& path = paths_[index];
        const std::size_t hash = std::hash<std::u16string_view>()(path);
        const std::uint32_t tag = static_cast<std::uint32_t>(hash >> 7);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.index == kFree) {
                slot = Slot{tag, static_cast<std::uint32_t>(index)};
                return true;
            }
            if (slot.tag == tag && paths_[slot.index] == path) return false;
        }
    }

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFFu;
    struct Slot {
        std::uint32_t tag = 0;  // more bits of the hash, to skip most unequal paths
        std::uint32_t index = kFree;
    };

    const std::vector<std::u16string>& paths_;
    std::vector<Slot> slots_;
};

}  // namespace

bool SetFileItems::Next(std::u16string_view& item) {
    if (position_ > list_.size()) return false;
    const std::size_t separator = std::min(list_.find(u';', position_), list_.size());
    item = list_.substr(position_, separator - position_);
    position_ = separator + 1;
    return true;
}

int CodeTemplateSet::GetCount() const { return static_cast<int>(complete_); }

int CodeTemplateSet::GetEntry(int index, TemplateEntry& entry) const {
    if (index < 0 || index >= GetCount()) return -1;
    const std::size_t i = static_cast<std::size_t>(index);
    const Entry& e = entries_[i];
    const std::u16string_view displayText = DisplayText(e);
    entry.displayText.assign(displayText);
    entry.name.assign(displayText.substr(0, e.nameLength));
    entry.description.assign(displayText.substr(width_, e.descriptionLength));

    // The body: the lines after the header line up to the next header of
    // the same file, or to the file's end, where a last LF ends no line.
    const File& file = FileOf(e);
    const std::u16string_view text(text_.data(), file.end);
    const std::size_t headerEnd = std::min(Find(text, e.header, u'\n'), file.end);
    const std::size_t start = headerEnd + 1;
    std::size_t end = file.end;
    if (i + 1 < complete_ && entries_[i + 1].header < file.end) {
        end = entries_[i + 1].header;
    }
    entry.lines.clear();
    if (start >= end) return 0;
    if (text[end - 1] == u'\n') --end;
    const std::u16string_view body = text.substr(start, end - start);
    entry.lines.reserve(static_cast<std::size_t>(std::count(body.begin(), body.end(), u'\n')) + 1);
    for (std::size_t from = 0;;) {
        const std::size_t lf = std::min(Find(body, from, u'\n'), body.size());
        const std::u16string_view line = body.substr(from, lf - from);
        entry.lines.emplace_back(line.substr(0, std::min(line.size(), Find(line, 0, u'\0'))));
        if (lf == body.size()) break;
        from = lf + 1;
    }
    return 0;
}

std::u16string_view CodeTemplateSet::GetDisplayText(int index) const {
    if (index < 0 || index >= GetCount()) return std::u16string_view(kEmpty, 0);
    return DisplayText(entries_[static_cast<std::size_t>(index)]);
}

std::u16string_view CodeTemplateSet::DisplayText(const Entry& entry) const {
    // Every name is shorter than the width, so every display text is as long
    // as the width and the description together.
    return std::u16string_view(DisplayData(entry), width_ + entry.descriptionLength);
}

const char16_t* CodeTemplateSet::DisplayData(const Entry& entry) const {
    return entry.overflow == kInPlace ? text_.data() + entry.header : overflow_.data() + entry.overflow;
}

const CodeTemplateSet::File& CodeTemplateSet::FileOf(const Entry& entry) const {
    auto after = std::upper_bound(fileTexts_.begin(), fileTexts_.end(), std::size_t{entry.header},
                                  [](std::size_t at, const File& file) { return at < file.start; });
    return *(after - 1);
}

int CodeTemplateSet::FindByDisplayText(std::u16string_view text) const {
    for (std::size_t i = 0; i < complete_; ++i) {
        if (DisplayText(entries_[i]) == text) return static_cast<int>(i);
    }
    return -1;
}

int CodeTemplateSet::LoadForExtension(const std::u16string& extension) {
    std::vector<std::u16string> paths;
    if (ReadSetFile(extension, paths) != 0) return -1;
    if (paths.empty()) return -2;
    std::uint64_t bytes = 0;
    overBudget_ = !FitsTheBudget(paths, bytes);
    if (overBudget_) return -1;
    // Room for the texts, one unit a byte, so that the buffer is made once.
    text_.Reserve(text_.size() + static_cast<std::size_t>(bytes));
    for (const std::u16string& path : paths) {
        if (ReadTemplateFile(path) != 0) return -1;
    }
    return 0;
}

bool CodeTemplateSet::FitsTheBudget(const std::vector<std::u16string>& paths, std::uint64_t& bytes) const {
    bytes = 0;
    for (const std::u16string& path : paths) {
        std::uint64_t size = 0;
        // The load stops at a file that cannot be read, so the files after
        // it do not count.
        if (!files_->FileSize(path, size)) return true;
        bytes += std::min(size, kByteBudget + 1);
        if (bytesRead_ + bytes > kByteBudget) return false;
    }
    return true;
}

bool CodeTemplateSet::IsHeaderLine(std::u16string_view line) const {
    // In the line the reader is at, or a start of it, the first "[" is
    // known; a line without one is no header.
    std::size_t open = std::u16string_view::npos;
    if (cursorLine_.line != nullptr && line.data() == cursorLine_.line && line.size() <= cursorLine_.size) {
        if (cursorLine_.open >= line.size()) return false;
        open = cursorLine_.open;
    } else {
        open = Find(line, 0, u'[');
    }
    const HeaderMarks marks = FindHeaderMarks(line, open);
    lastHeader_ = {line.data(), line.size(), marks};
    return marks.close != std::u16string_view::npos;
}

int CodeTemplateSet::TrimSpaces(std::u16string_view& text) const {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    text = text.substr(begin, end - begin);
    return 0;
}

bool CodeTemplateSet::CutHeader(std::u16string_view line, std::size_t& open, std::u16string_view& name,
                                std::u16string_view& description) const {
    // The marks the header test found, unless it was told another line.
    const HeaderMarks marks = lastHeader_.line == line.data() && lastHeader_.size == line.size()
                                  ? lastHeader_.marks
                                  : FindHeaderMarks(line, Find(line, 0, u'['));
    if (marks.close == std::u16string_view::npos) return false;
    open = marks.open;
    name = line.substr(marks.open + 1, marks.bar - marks.open - 1);
    description = line.substr(marks.bar + 1, marks.close - marks.bar - 1);
    const std::u16string_view givenName = name;
    const std::u16string_view givenDescription = description;
    TrimSpaces(name);
    TrimSpaces(description);
    return !name.empty() && !description.empty() && Inside(name, givenName) && Inside(description, givenDescription);
}

int CodeTemplateSet::ReadTemplateFile(const std::u16string& path) {
    const std::size_t start = text_.size();
    std::size_t size = 0;
    std::uint64_t bytesRead = 0;
    {
        std::string bytes;
        const textfile::ReadResult result = files_->ReadBytes(path, kByteBudget - bytesRead_, bytes);
        overBudget_ = result == textfile::ReadResult::TooLarge;
        if (result != textfile::ReadResult::Read) return -1;
        bytesRead = bytes.size();
        size = textfile::DecodeText(bytes, *files_, text_.Extend(bytes.size()));
        text_.Commit(size);
    }
    const std::u16string_view text(text_.data() + start, size);

    entries_.shrink(complete_);  // nothing of a read that was cut short by an exception
    const std::size_t firstNew = complete_;
    std::size_t longest = 0;
    std::vector<std::uint32_t> rooms;  // the length of each new entry's header line

    // A header opens a new template and the lines after it are its body;
    // lines before the first header belong to no template and are dropped.
    // The cursor tells where each line's first "[" stands: the header test
    // then need not search for it, and rejects at once the lines without
    // one, most of a file.
    textfile::LineCursor lines(text, u'[');
    textfile::TextLine line;
    TemplateReadObserver* const observer = observer_;
    if (observer) observer->TemplateFileOpened(path);
    while (lines.Next(line)) {
        cursorLine_ = {line.text.data(), line.text.size(), line.watched};
        std::size_t open = 0;
        std::u16string_view name;
        std::u16string_view description;
        if (!IsHeaderLine(line.text) || !CutHeader(line.text, open, name, description)) {
            if (observer) observer->TemplateLine(line.number, line.text);
            continue;
        }
        if (observer) observer->TemplateHeader(line.number, line.text, open, name);
        // The header line becomes the display text: the name moves to its
        // start and the description to two units after the name, both only
        // ever to the left; the width comes once the whole file is read.
        char16_t* header = text_.data() + start + line.start;
        std::memmove(header, name.data(), name.size() * sizeof(char16_t));
        std::memmove(header + name.size() + 2, description.data(), description.size() * sizeof(char16_t));
        longest = std::max(longest, name.size());
        entries_.push_back(
            Entry{U32(start + line.start), U32(line.number), kInPlace, U32(name.size()), U32(description.size())});
        rooms.push_back(U32(line.end - line.start));
    }
    cursorLine_ = {};
    lastHeader_ = {};

    fileTexts_.push_back(File{path, start, start + size});
    // One name column for the whole set, so that descriptions line up across
    // files: earlier entries are built again when this file brings a longer name.
    const bool wider = longest + 2 > width_;
    if (!BuildDisplayTexts(wider ? 0 : firstNew, firstNew, rooms, wider ? longest + 2 : width_)) {
        overBudget_ = true;
        fileTexts_.pop_back();
        entries_.shrink(complete_);
        text_.Truncate(start);
        return -1;
    }
    bytesRead_ += bytesRead;
    complete_ = entries_.size();
    return 0;
}

bool CodeTemplateSet::BuildDisplayTexts(std::size_t from, std::size_t firstNew,
                                        const std::vector<std::uint32_t>& newRooms, std::size_t width) {
    // First where each text goes: in its header line when that is long
    // enough, else in the overflow buffer, which must stay in the budget.
    // Nothing is changed before that is known.
    std::vector<char> inPlace(entries_.size() - from);
    std::size_t overflowUnits = from == 0 ? 0 : overflow_.size();
    for (std::size_t i = from; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        const std::size_t needed = width + entry.descriptionLength + 1;
        bool fits = false;
        if (i >= firstNew) {
            fits = newRooms[i - firstNew] >= needed;
        } else if (entry.overflow == kInPlace) {
            const File& file = FileOf(entry);
            const std::u16string_view text(text_.data(), file.end);
            fits = std::min(Find(text, entry.header, u'\n'), file.end) - entry.header >= needed;
        }
        inPlace[i - from] = fits;
        if (!fits) overflowUnits += needed;
    }
    if (overflowUnits > kOverflowBudget) return false;

    // When all are built anew, the old overflow buffer is read while a new
    // one fills; otherwise only new entries are built, none of which is in it.
    std::u16string rebuilt;
    std::u16string& out = from == 0 ? rebuilt : overflow_;
    out.reserve(overflowUnits);
    char16_t* const text = text_.data();
    for (std::size_t i = from; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        const std::size_t nameLength = entry.nameLength;
        const std::size_t descriptionLength = entry.descriptionLength;
        const char16_t* name = DisplayData(entry);
        const char16_t* description = name + (i >= firstNew ? nameLength + 2 : width_);
        if (inPlace[i - from]) {
            // The description moves first (right or left), then the padding
            // fills where it may have stood.
            char16_t* at = text + entry.header;
            std::memmove(at + width, description, descriptionLength * sizeof(char16_t));
            std::fill(at + nameLength, at + width, u' ');
            at[width + descriptionLength] = u'\0';
        } else {
            const std::size_t at = out.size();
            out.append(name, nameLength);
            out.append(width - nameLength, u' ');
            out.append(description, descriptionLength);
            out += u'\0';
            entry.overflow = U32(at);
        }
    }
    if (from == 0) overflow_.swap(rebuilt);
    width_ = width;
    return true;
}

CodeTemplateSet::Origin CodeTemplateSet::OriginOf(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    return {FileOf(entry).path, entry.headerLine};
}

int CodeTemplateSet::ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) {
    std::u16string text;
    if (textfile::ReadConfigText(*files_, files_->FilePath(kSetFileName), kByteBudget, text) !=
        textfile::ReadResult::Read) {
        return -1;
    }
    paths.clear();
    const std::u16string folder = files_->FolderPath();
    // Each line lists at most one path.
    PathIndex listed(paths, static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n')) + 1);

    textfile::LineCursor lines(text);
    textfile::TextLine line;
    while (lines.Next(line)) {
        const std::size_t equals = line.text.rfind(u'=');
        if (equals == std::u16string_view::npos) {
            if (observer_) observer_->SetFileLineSkipped(line.number, line.text);
            continue;
        }
        std::u16string_view name = line.text.substr(0, equals);
        TrimSpaces(name);
        if (name.empty()) continue;
        std::u16string_view list = line.text.substr(equals + 1);
        TrimSpaces(list);
        if (list.empty()) continue;
        if (observer_) observer_->SetFileEntry(line.number, name);

        // The items up to the first empty one serve; the search ends at the
        // first that fits, unless an observer is to hear them all.
        bool served = true;
        bool matches = false;
        SetFileItems items(list);
        std::u16string_view item;
        while (((served && !matches) || observer_) && items.Next(item)) {
            TrimSpaces(item);
            if (item.empty()) {
                served = false;
                continue;
            }
            if (observer_) observer_->SetFileItem(item, served);
            if (served && (item == extension || item == u"*")) matches = true;
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
