#pragma once
// What the add-in silently accepts in its configuration but a user rarely
// means. The files are read by the template set's own readers, which tell
// what they find (see TemplateReadObserver): the checker takes every line as
// the add-in does and only judges what it is told.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "textfile/ConfigFileAccess.h"

namespace velmora::checker {

enum class Finding {
    SetFileMissing,          // CodeSet.ini cannot be opened
    LineWithoutEquals,       // CodeSet.ini: a line that looks like an entry but has no "="
    EmptyItemEndsList,       // CodeSet.ini: "cpp;;h" never serves h
    ExtensionCaseVariant,    // CodeSet.ini: "CPP" served by other files than "cpp"
    TemplateFileUnreadable,  // CodeSet.ini: the line naming a file that cannot be opened
    DuplicateTemplateName,   // template file: a name listed a second time for one extension
    BodyLineStartsTemplate,  // template file: a line of code read as a header
    EmptyLinesInTemplate,    // template file: empty lines at the end of a template's body
    GuidSetMissing,          // GuidSet.ini cannot be opened
    GuidSetContent,          // GuidSet.ini holds anything but one digit 0 to 4
};

struct Warning {
    Warning(Finding finding_, std::u16string file_, std::size_t line_, std::u16string subject_,
            std::u16string extension_ = {}, std::u16string otherFile_ = {}, std::size_t otherLine_ = 0)
        : finding(finding_),
          file(std::move(file_)),
          line(line_),
          subject(std::move(subject_)),
          extension(std::move(extension_)),
          otherFile(std::move(otherFile_)),
          otherLine(otherLine_) {}

    Finding finding;
    std::u16string file;       // relative to the configuration folder
    std::size_t line;          // 1-based; 0 for the file as a whole
    std::u16string subject;    // the line, item, extension, file or template name in question
    std::u16string extension;  // the other spelling (case variant), the extension listing both (duplicate)
    std::u16string otherFile;  // where the clashing extension or name stands
    std::size_t otherLine;
};

// One entry line of CodeSet.ini as the set-file reader takes it: the file it
// names and the items it serves.
struct SetEntry {
    std::size_t line;
    std::u16string fileName;
    std::vector<std::u16string> served;
};

// A header of a template file: the template's name and its line.
struct HeaderAt {
    std::u16string name;
    std::size_t line;
};

// CodeSet.ini's entry lines, read as the add-in reads them; warns about
// lines without "=" that look like entries and about empty items that hide
// the items after them. False when CodeSet.ini cannot be opened.
bool LintSetFile(const textfile::ConfigFileAccess& files, std::vector<SetEntry>& entries,
                 std::vector<Warning>& warnings);

// The headers of the template file named `file` in CodeSet.ini, read as the
// add-in reads it; warns about headers that look like code and about empty
// lines that end a template's body. `opened` tells whether it could be read.
std::vector<HeaderAt> LintTemplateFile(const textfile::ConfigFileAccess& files, const std::u16string& file,
                                       bool& opened, std::vector<Warning>& warnings);

// GuidSet.ini's whole text, or nothing when it cannot be opened.
void LintGuidSet(const std::optional<std::u16string>& text, std::vector<Warning>& warnings);

// True for a line without "=" that a user probably meant as an entry: a
// full-width equals sign, a first word that is a file name ("cpp.txt cpp;h",
// "cpp.txt: cpp", "cpp.txt"), or a bare list of items ("cpp;h").
bool LooksLikeEntry(const std::u16string& line);

// True when the text before a header's "[" is code rather than a comment
// marker: it holds a letter, a digit or one of _ = ( . , (as in "x = a[i | j];").
bool HeaderLooksLikeCode(std::u16string_view beforeHeader);

}  // namespace velmora::checker
