#pragma once
// The templates that fit one document, loaded from CodeSet.ini and the
// template files it names. A set lives for one run of the CodeTemplate
// command: created empty, filled once by LoadForExtension, then read by the
// pick list and the insertion.
//
// CodeSet.ini lines have the form "file name = item;item;...", split at the
// last "="; an item is a document extension (compared exactly) or "*".
// A template file holds templates, each opened by a header line with
// "[name | description]" somewhere in it and followed by its body lines.
// These rules live here alone: the configuration checker hears what the
// readers find through a TemplateReadObserver.
//
// Each file's text is kept once, as UTF-16, and an entry is a set of ranges
// into it; a display text takes the place of its header line in that text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "templates/ChunkedArray.h"
#include "templates/TemplateEntry.h"
#include "textfile/ConfigFileAccess.h"
#include "templates/TemplateReadObserver.h"
#include "textfile/UnitBuffer.h"

namespace velmora {

class CodeTemplateSet {
public:
    // The most bytes of template files one set reads: a set lives in the
    // host's 32-bit address space and costs up to about five times its
    // files' bytes there (see the README). Display texts that do not fit
    // their header line take at most half as many UTF-16 units beside it.
    static constexpr std::uint64_t kByteBudget = std::uint64_t{32} << 20;
    static constexpr std::uint64_t kOverflowBudget = kByteBudget / 2;
    // The set file, in the configuration folder beside the template files.
    static constexpr char16_t kSetFileName[] = u"CodeSet.ini";

    // `files` must outlive the set, and so must `observer`, which hears
    // every line the readers take (see TemplateReadObserver).
    explicit CodeTemplateSet(const textfile::ConfigFileAccess& files,
                             TemplateReadObserver* observer = nullptr)
        : files_(&files), observer_(observer) {}
    CodeTemplateSet(const CodeTemplateSet&) = default;
    CodeTemplateSet& operator=(const CodeTemplateSet&) = default;

    // The operations keep this order.
    virtual int GetCount() const;
    // Copies the entry: 0, or -1 for an index out of range (`entry` untouched).
    virtual int GetEntry(int index, TemplateEntry& entry) const;
    // The entry's display text, followed in memory by a zero unit; an empty
    // text for an index out of range. Valid until the set reads another file.
    virtual std::u16string_view GetDisplayText(int index) const;
    // Index of the first entry whose display text equals `text`, or -1.
    virtual int FindByDisplayText(std::u16string_view text) const;
    // Reads CodeSet.ini and every template file that fits the extension:
    // 0; -1 when CodeSet.ini or a fitting file cannot be opened, or when the
    // fitting files hold more than kByteBudget bytes together (then none of
    // them is read); -2 when nothing fits. Appends to the entries already held.
    virtual int LoadForExtension(const std::u16string& extension);
    // A "[", a "|" after it and a "]" after that.
    virtual bool IsHeaderLine(std::u16string_view line) const;
    // Narrows `text` to leave out U+0020 at both ends; always 0.
    virtual int TrimSpaces(std::u16string_view& text) const;
    // Appends the file's templates: 0, or -1 (and nothing appended) when it
    // cannot be opened or would take the set past its budget.
    virtual int ReadTemplateFile(const std::u16string& path);
    // Fills `paths` with the full paths of the template files that fit the
    // extension, in CodeSet.ini order without repeats: 0, or -1 (and `paths`
    // untouched) when CodeSet.ini cannot be opened or is over kByteBudget.
    // An observer hears every line and every item, fitting or not.
    virtual int ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths);

    virtual ~CodeTemplateSet() = default;

    // Where an entry comes from, for messages about it: its template file's
    // path and the number (from 1) of its header line. Empty and 0 for an
    // index out of range.
    struct Origin {
        std::u16string_view path;
        std::size_t line = 0;
    };
    Origin OriginOf(int index) const;

    // Whether the last LoadForExtension or ReadTemplateFile stopped because
    // the files would have taken the set past its budget.
    bool OverBudget() const { return overBudget_; }

    // Where a header's "[", the first "|" after it and the first "]" after
    // that stand; npos from the first one missing on.
    struct HeaderMarks {
        std::size_t open = std::u16string_view::npos;
        std::size_t bar = std::u16string_view::npos;
        std::size_t close = std::u16string_view::npos;
    };

private:
    // One template. The offsets are in UTF-16 units into text_. Its header
    // line holds its display text once its file is read: the name, spaces up
    // to the width, the description and a zero unit, unless the line is too
    // short for that; then the display text is in overflow_. Its body is
    // the lines between its header line and the next header or the end of
    // its file, found again when it is asked for.
    struct Entry {
        std::uint32_t header;      // where the header line starts
        std::uint32_t headerLine;  // its number in its file, from 1
        std::uint32_t overflow;    // kInPlace, or where in overflow_
        std::uint32_t nameLength;
        std::uint32_t descriptionLength;
    };
    static constexpr std::uint32_t kInPlace = 0xFFFFFFFFu;

    // One file read: its path and where its text lies in text_.
    struct File {
        std::u16string path;
        std::size_t start;
        std::size_t end;
    };

    // Whether the files the load would read fit in what is left of the
    // budget; `bytes` is their size. The files after one that cannot be
    // read do not count.
    bool FitsTheBudget(const std::vector<std::u16string>& paths, std::uint64_t& bytes) const;
    bool BuildDisplayTexts(std::size_t from, std::size_t firstNew, const std::vector<std::uint32_t>& newRooms,
                           std::size_t width);
    // Whether a line the header test took opens a template: then where its
    // "[" stands, and its name and description, trimmed, neither empty.
    bool CutHeader(std::u16string_view line, std::size_t& open, std::u16string_view& name,
                   std::u16string_view& description) const;
    std::u16string_view DisplayText(const Entry& entry) const;
    const char16_t* DisplayData(const Entry& entry) const;
    const File& FileOf(const Entry& entry) const;

    const textfile::ConfigFileAccess* files_;
    TemplateReadObserver* observer_;
    std::vector<File> fileTexts_;
    // The text of every file read, one after another.
    textfile::UnitBuffer text_;
    std::u16string overflow_;
    ChunkedArray<Entry> entries_;
    // The entries of the files read completely: those of a file come into
    // view together, once their display texts are built.
    std::size_t complete_ = 0;
    std::size_t width_ = 0;  // the longest name so far plus two
    // While a file is read: the line being tested and where its first "["
    // stands (npos: nowhere), as the line cursor found it, so that the header
    // test need not look for it again; and the marks the header test last
    // found, so that the reader need not look for them again.
    struct {
        const char16_t* line = nullptr;
        std::size_t size = 0;
        std::size_t open = std::u16string_view::npos;
    } cursorLine_;
    struct {
        const char16_t* line = nullptr;
        std::size_t size = 0;
        HeaderMarks marks;
    } mutable lastHeader_;
    std::uint64_t bytesRead_ = 0;
    bool overBudget_ = false;
};

// The items of a CodeSet.ini item list: the parts between its ";", as
// written (untrimmed); a list of n separators has n + 1 items.
class SetFileItems {
public:
    explicit SetFileItems(std::u16string_view list) : list_(list) {}
    // The next item; false after the last one.
    bool Next(std::u16string_view& item);

private:
    std::u16string_view list_;
    std::size_t position_ = 0;
};

}  // namespace velmora
