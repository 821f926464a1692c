#pragma once
// The configuration checker's findings over one configuration folder, read
// through the same file access and template readers as the CodeTemplate command:
// which files there are, what the picker would list for each extension, and
// the warnings of ConfigLint.
#include <optional>
#include <string>
#include <vector>

#include "checker/ConfigLint.h"
#include "textfile/ConfigFileAccess.h"
#include "templates/TracedTemplateSet.h"

namespace velmora::checker {

// What CodeTemplate would do for a document with one extension.
struct ExtensionListing {
    std::u16string extension;
    // The group of every extension CodeSet.ini does not name (served by "*" lines only).
    bool otherExtensions = false;
    int loadResult = 0;  // LoadForExtension's: 0 listed, -1 read failure, -2 nothing serves it
    TracedTemplateSet::Unreadable unreadable = TracedTemplateSet::Unreadable::None;
    std::u16string unreadableFile;             // relative name, for a template file
    std::vector<std::u16string> files;         // the template files read, relative names in order
    std::vector<std::u16string> displayTexts;  // in the set's order; the list box sorts them
};

struct TemplateFileState {
    std::u16string name;  // as named in CodeSet.ini
    bool opened;
    std::vector<HeaderAt> headers;  // the templates it holds, in file order
};

struct ConfigReport {
    bool setFileOpened = false;
    std::vector<SetEntry> setEntries;
    std::vector<TemplateFileState> templateFiles;  // in the order CodeSet.ini first names them
    std::vector<ExtensionListing> extensions;      // named extensions in first-seen order, then the "*" group
    // By file (CodeSet.ini, the template files in the order above, GuidSet.ini), then line.
    std::vector<Warning> warnings;
};

// Reads the whole configuration. `guidSetPath` is GuidSet.ini's full path.
ConfigReport CheckConfiguration(const textfile::ConfigFileAccess& files, const std::u16string& guidSetPath);

// What CodeTemplate would list for a document with `extension`.
ExtensionListing ListForExtension(const textfile::ConfigFileAccess& files, const std::u16string& extension);

// The extensions listed in CodeSet.ini that differ from `extension` only in
// the case of ASCII letters, with the line of each one's first appearance.
std::vector<std::pair<std::u16string, std::size_t>> CaseVariantsOf(const std::vector<SetEntry>& entries,
                                                                    const std::u16string& extension);

}  // namespace velmora::checker
