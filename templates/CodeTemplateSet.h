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
#include <string>
#include <vector>

#include "templates/TemplateEntry.h"
#include "templates/TemplateFileAccess.h"

namespace velmora {

class CodeTemplateSet {
public:
    // `files` must outlive the set.
    explicit CodeTemplateSet(const TemplateFileAccess& files) : files_(&files) {}
    CodeTemplateSet(const CodeTemplateSet&) = default;
    CodeTemplateSet& operator=(const CodeTemplateSet&) = default;

    // The operations keep this order.
    virtual int GetCount() const;
    // Copies the entry: 0, or -1 for an index out of range (`entry` untouched).
    virtual int GetEntry(int index, TemplateEntry& entry) const;
    // The entry's display text; an empty string for an index out of range.
    virtual const std::u16string& GetDisplayText(int index) const;
    // Index of the first entry whose display text equals `text`, or -1.
    virtual int FindByDisplayText(std::u16string text) const;
    // Reads CodeSet.ini and every template file that fits the extension:
    // 0; -1 when CodeSet.ini or a fitting file cannot be opened; -2 when
    // nothing fits. Appends to the entries already held.
    virtual int LoadForExtension(const std::u16string& extension);
    // A "[", a "|" after it and a "]" after that.
    virtual bool IsHeaderLine(const std::u16string& line) const;
    // Removes U+0020 at both ends; always 0.
    virtual int TrimSpaces(std::u16string& text) const;
    // Appends the file's templates: 0, or -1 when it cannot be opened.
    virtual int ReadTemplateFile(const std::u16string& path);
    // Fills `paths` with the full paths of the template files that fit the
    // extension, in CodeSet.ini order without repeats: 0, or -1 (and `paths`
    // untouched) when CodeSet.ini cannot be opened.
    virtual int ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths);

    virtual ~CodeTemplateSet() = default;

    std::vector<TemplateEntry> entries;

private:
    const TemplateFileAccess* files_;
};

// The display text of an entry: its name padded with U+0020 to `width` UTF-16
// units, then its description.
std::u16string MakeDisplayText(const std::u16string& name, const std::u16string& description, std::size_t width);

}  // namespace velmora
