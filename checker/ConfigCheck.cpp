#include "checker/ConfigCheck.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "templates/CodeTemplateSet.h"

namespace velmora::checker {

namespace {

const char16_t kSetFileName[] = u"CodeSet.ini";
const char16_t kAnyExtension[] = u"*";
// No item can equal this extension, since items are split at ";": the set
// file gives it the files of the "*" lines alone.
const char16_t kUnnamedExtension[] = u";";

std::u16string RelativeName(const textfile::ConfigFileAccess& files, const std::u16string& path) {
    const std::u16string folder = files.FolderPath();
    if (path.compare(0, folder.size(), folder) == 0) return path.substr(folder.size());
    return path;
}

char16_t AsciiLower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit; }

bool DifferOnlyInCase(const std::u16string& a, const std::u16string& b) {
    if (a == b || a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// A whole small file, line ends included, decoded in one piece (GuidSet.ini:
// whether it holds more than its digit is the question).
std::optional<std::u16string> ReadDecodedText(const textfile::ConfigFileAccess& files, const std::u16string& path) {
    std::u16string text;
    if (textfile::ReadConfigText(files, path, CodeTemplateSet::kByteBudget, text) != textfile::ReadResult::Read) {
        return std::nullopt;
    }
    return text;
}

struct NamedExtension {
    std::u16string extension;
    std::size_t line;
};

// The extensions CodeSet.ini names, each once, in the order they first appear.
std::vector<NamedExtension> NamedExtensions(const std::vector<SetEntry>& entries, bool& anyExtension) {
    std::vector<NamedExtension> named;
    anyExtension = false;
    for (const SetEntry& entry : entries) {
        for (const std::u16string& item : entry.served) {
            if (item == kAnyExtension) {
                anyExtension = true;
            } else if (std::none_of(named.begin(), named.end(),
                                    [&](const NamedExtension& n) { return n.extension == item; })) {
                named.push_back({item, entry.line});
            }
        }
    }
    return named;
}

// A template name listed a second time for one extension: warned once, at
// the later header, whichever extension shows it first.
void FindDuplicateNames(const ConfigReport& report, std::vector<Warning>& warnings) {
    std::map<std::u16string, const std::vector<HeaderAt>*> headers;
    for (const TemplateFileState& file : report.templateFiles) headers.emplace(file.name, &file.headers);
    std::set<std::pair<std::u16string, std::size_t>> reported;
    for (const ExtensionListing& listing : report.extensions) {
        std::map<std::u16string, std::pair<std::u16string, std::size_t>> firstSeen;
        for (const std::u16string& file : listing.files) {
            const auto found = headers.find(file);
            if (found == headers.end()) continue;
            for (const HeaderAt& header : *found->second) {
                const auto [first, isNew] = firstSeen.emplace(header.name, std::make_pair(file, header.line));
                if (isNew || !reported.emplace(file, header.line).second) continue;
                warnings.push_back({Finding::DuplicateTemplateName, file, header.line, header.name,
                                    listing.otherExtensions ? kAnyExtension : listing.extension, first->second.first,
                                    first->second.second});
            }
        }
    }
}

// Two spellings of one extension that get different template files.
void FindCaseVariants(const std::vector<NamedExtension>& named, const ConfigReport& report,
                      std::vector<Warning>& warnings) {
    auto filesOf = [&](std::size_t index) {
        const std::vector<std::u16string>& files = report.extensions[index].files;
        return std::set<std::u16string>(files.begin(), files.end());
    };
    for (std::size_t later = 0; later < named.size(); ++later) {
        for (std::size_t earlier = 0; earlier < later; ++earlier) {
            if (!DifferOnlyInCase(named[earlier].extension, named[later].extension)) continue;
            if (filesOf(earlier) == filesOf(later)) continue;
            warnings.push_back({Finding::ExtensionCaseVariant, kSetFileName, named[later].line,
                                named[later].extension, named[earlier].extension, kSetFileName, named[earlier].line});
            break;
        }
    }
}

void SortByFileAndLine(const ConfigReport& report, std::vector<Warning>& warnings) {
    auto fileOrder = [&](const std::u16string& file) -> std::size_t {
        if (file == kSetFileName) return 0;
        for (std::size_t i = 0; i < report.templateFiles.size(); ++i) {
            if (report.templateFiles[i].name == file) return i + 1;
        }
        return report.templateFiles.size() + 1;  // GuidSet.ini
    };
    std::stable_sort(warnings.begin(), warnings.end(), [&](const Warning& a, const Warning& b) {
        const std::size_t fileA = fileOrder(a.file);
        const std::size_t fileB = fileOrder(b.file);
        return fileA != fileB ? fileA < fileB : a.line < b.line;
    });
}

}  // namespace

ExtensionListing ListForExtension(const textfile::ConfigFileAccess& files, const std::u16string& extension) {
    ExtensionListing listing;
    listing.extension = extension;
    TracedTemplateSet set(files);
    std::vector<std::u16string> paths;
    if (set.ReadSetFile(extension, paths) == 0) {
        for (const std::u16string& path : paths) listing.files.push_back(RelativeName(files, path));
    }
    // The load exactly as the command does it, on a set of its own.
    TracedTemplateSet loaded(files);
    listing.loadResult = loaded.LoadForExtension(extension);
    listing.unreadable = loaded.unreadable;
    if (loaded.unreadable == TracedTemplateSet::Unreadable::TemplateFile) {
        listing.unreadableFile = RelativeName(files, loaded.unreadablePath);
    }
    if (listing.loadResult == 0) {
        for (int i = 0; i < loaded.GetCount(); ++i) listing.displayTexts.emplace_back(loaded.GetDisplayText(i));
    }
    return listing;
}

std::vector<std::pair<std::u16string, std::size_t>> CaseVariantsOf(const std::vector<SetEntry>& entries,
                                                                    const std::u16string& extension) {
    std::vector<std::pair<std::u16string, std::size_t>> variants;
    for (const SetEntry& entry : entries) {
        for (const std::u16string& item : entry.served) {
            if (!DifferOnlyInCase(item, extension)) continue;
            if (std::none_of(variants.begin(), variants.end(), [&](const auto& v) { return v.first == item; })) {
                variants.emplace_back(item, entry.line);
            }
        }
    }
    return variants;
}

ConfigReport CheckConfiguration(const textfile::ConfigFileAccess& files, const std::u16string& guidSetPath) {
    ConfigReport report;
    std::vector<Warning> warnings;

    report.setFileOpened = LintSetFile(files, report.setEntries, warnings);
    if (!report.setFileOpened) warnings.emplace_back(Finding::SetFileMissing, kSetFileName, 0, std::u16string());

    // Every template file a document can get, each read and checked once;
    // one that cannot be opened has no headers, but is done all the same.
    std::set<std::u16string> done;
    for (const SetEntry& entry : report.setEntries) {
        if (entry.served.empty() || !done.insert(entry.fileName).second) continue;
        bool opened = false;
        std::vector<HeaderAt> headers = LintTemplateFile(files, entry.fileName, opened, warnings);
        report.templateFiles.push_back({entry.fileName, opened, std::move(headers)});
        if (!opened) {
            warnings.push_back({Finding::TemplateFileUnreadable, kSetFileName, entry.line, entry.fileName});
        }
    }

    bool anyExtension = false;
    const std::vector<NamedExtension> named = NamedExtensions(report.setEntries, anyExtension);
    for (const NamedExtension& extension : named) {
        report.extensions.push_back(ListForExtension(files, extension.extension));
    }
    if (anyExtension) {
        ExtensionListing others = ListForExtension(files, kUnnamedExtension);
        others.extension.clear();
        others.otherExtensions = true;
        report.extensions.push_back(std::move(others));
    }

    FindDuplicateNames(report, warnings);
    FindCaseVariants(named, report, warnings);
    LintGuidSet(ReadDecodedText(files, guidSetPath), warnings);
    SortByFileAndLine(report, warnings);
    report.warnings = std::move(warnings);
    return report;
}

}  // namespace velmora::checker
