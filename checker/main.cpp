// velmora-config: shows how the add-in reads its configuration and warns
// about what it accepts silently but a user rarely means.
//
//   velmora-config              the configuration folder, its files, the GUID
//                               format, and what the picker lists for each
//                               extension CodeSet.ini names
//   velmora-config <extension>  what CodeTemplate lists for a document with
//                               that extension, or why it lists nothing
//   velmora-config --setup      copies the starter files the configuration
//                               folder lacks into it (StarterSetup.h)
//   velmora-config --status     why an IDE shows the add-in's commands or
//                               not (RegistrationStatus.h)
//
// Listings go to standard output, warnings to standard error. Exit code 0
// when nothing was found, 1 when there were warnings (or, for an extension,
// when CodeTemplate would list nothing; with --setup, when a file could not
// be copied or the starter folder is missing), 2 for a wrong command line:
// more than one argument, or one that starts with "-" or "/" and is no option.
#include <windows.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

#include "checker/ConfigCheck.h"
#include "checker/ConsoleOutput.h"
#include "checker/Messages.h"
#include "checker/PickerOrder.h"
#include "checker/RegistrationStatus.h"
#include "checker/StarterSetup.h"
#include "framework/TextConversion.h"
#include "guid/GuidStore.h"
#include "platform/WindowsConfigFiles.h"

namespace velmora::checker {
namespace {

// The radio button captions of the GUID dialog, without their numbers.
const char16_t* const kGuidFormatNames[] = {
    u"IMPLEMENT_OLECREATE(...)",
    u"DEFINE_GUID(...)",
    u"static const struct GUID = { ... }",
    u"Registry Format (ie. {xxxxxxx-xxxx ... xxxx })",
    u"Velmora Format (ie. xxxxxxx-xxxx ... xxxx )",
};

const char16_t kIndent[] = u"    ";

std::u16string Quoted(const std::u16string& text) { return u"\"" + text + u"\""; }

std::u16string Joined(const std::vector<std::u16string>& names) {
    std::u16string joined;
    for (const std::u16string& name : names) joined += (joined.empty() ? u"" : u", ") + name;
    return joined;
}

std::u16string Padded(std::u16string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), u' ');
    return text;
}

bool SameFileName(std::u16string_view a, std::u16string_view b) {
    return CompareStringOrdinal(AsWide(a.data()), static_cast<int>(a.size()), AsWide(b.data()),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Files in the configuration folder that CodeSet.ini does not name.
std::vector<std::u16string> UnnamedFiles(const std::u16string& folder, const ConfigReport& report) {
    std::vector<std::u16string> unnamed;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW(AsWide((folder + u"*").c_str()), &found);
    if (search == INVALID_HANDLE_VALUE) return unnamed;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::u16string_view name = AsU16(found.cFileName);
        bool known = SameFileName(name, u"CodeSet.ini") || SameFileName(name, u"GuidSet.ini");
        for (const TemplateFileState& file : report.templateFiles) known = known || SameFileName(name, file.name);
        if (!known) unnamed.emplace_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return unnamed;
}

void ListFiles(ConsoleOutput& out, const std::u16string& folder, const ConfigReport& report, int guidFormat) {
    constexpr std::size_t kWidth = 20;
    const std::u16string present = u"あり";
    const std::u16string missing = u"開けません";
    out.Line(u"ファイル:");
    out.Line(kIndent + Padded(u"CodeSet.ini", kWidth) + (report.setFileOpened ? present : missing));
    for (const TemplateFileState& file : report.templateFiles) {
        out.Line(kIndent + Padded(file.name, kWidth) + (file.opened ? present : missing));
    }
    out.Line(kIndent + Padded(u"GuidSet.ini", kWidth) + (guidFormat >= 0 ? present : missing));
    for (const std::u16string& name : UnnamedFiles(folder, report)) {
        out.Line(kIndent + Padded(name, kWidth) + u"(CodeSet.ini に名前がないため使われません)");
    }
}

void ShowGuidFormat(ConsoleOutput& out, int format) {
    if (format < 0) {
        out.Line(u"GUID の書式: なし (GuidSet.ini を開けないため、InsertGUID と SelectGUID は何もしません)");
        return;
    }
    out.Line(u"GUID の書式: " + std::u16string(1, static_cast<char16_t>(u'0' + format)) + u"  " +
             kGuidFormatNames[format]);
}

// The pick list as the picker shows it, or why there is none.
void ShowListing(ConsoleOutput& out, const std::u16string& heading, const ExtensionListing& listing) {
    if (listing.loadResult != 0) {
        out.Line(heading + u": " + WhyNothingIsListed(listing));
        return;
    }
    out.Line(heading + u" (" + Joined(listing.files) + u"):");
    if (listing.displayTexts.empty()) out.Line(kIndent + std::u16string(u"(テンプレートがありません)"));
    for (const std::u16string& text : InPickerOrder(listing.displayTexts)) out.Line(kIndent + text);
}

void ShowEveryExtension(ConsoleOutput& out, const ConfigReport& report) {
    out.Line(u"CodeTemplate が表示する一覧 (表示順):");
    if (report.extensions.empty()) out.Line(kIndent + std::u16string(u"(CodeSet.ini が拡張子を挙げていません)"));
    for (const ExtensionListing& listing : report.extensions) {
        const std::u16string heading =
            listing.otherExtensions ? u"CodeSet.ini にないほかの拡張子" : u"拡張子 " + Quoted(listing.extension);
        ShowListing(out, heading, listing);
    }
}

// For one extension; true when CodeTemplate lists something.
bool ShowOneExtension(ConsoleOutput& out, const ConfigReport& report, const std::u16string& extension) {
    const ExtensionListing listing = ListForExtension(WindowsConfigFiles(), extension);
    if (listing.loadResult == 0) {
        ShowListing(out, u"拡張子 " + Quoted(extension) + u" の文書で CodeTemplate が表示する一覧", listing);
        return true;
    }
    out.Line(u"拡張子 " + Quoted(extension) + u" の文書では、" + WhyNothingIsListed(listing));
    if (listing.loadResult == -2) {
        for (const auto& [variant, line] : CaseVariantsOf(report.setEntries, extension)) {
            out.Line(kIndent + std::u16string(u"大文字小文字だけが違う ") + Quoted(variant) + u" なら CodeSet.ini(" +
                     Number(line) + u") にあります (拡張子は大文字小文字を区別して比べます)");
        }
    }
    return false;
}

int Run(int argc, wchar_t** argv) {
    ConsoleOutput out(STD_OUTPUT_HANDLE);
    ConsoleOutput errors(STD_ERROR_HANDLE);
    const std::u16string_view argument = argc == 2 ? AsU16(argv[1]) : u"";
    const bool help = argument == u"/?" || argument == u"--help";
    const bool option = !argument.empty() && (argument[0] == u'-' || argument[0] == u'/');
    const bool known = help || argument == u"--setup" || argument == u"--status";
    if (argc > 2 || help || (option && !known)) {
        const bool wrong = !help;
        (wrong ? errors : out).Line(u"使い方: velmora-config [拡張子 | --setup | --status]");
        return wrong ? 2 : 0;
    }
    if (argument == u"--setup") return SetUpStarterConfiguration(out, errors);
    if (argument == u"--status") return ShowRegistrationStatus(out, errors);

    WindowsConfigFiles files;
    const std::u16string folder = files.FolderPath();
    const ConfigReport report = CheckConfiguration(files, files.FilePath(kGuidSetName));
    const int guidFormat = ReadGuidSet(files);

    out.Line(u"設定フォルダ: " + folder);
    bool listed = true;
    if (argc == 2) {
        // ".cpp" asks for "cpp": an extension never starts with its point.
        std::u16string extension(argument);
        if (!extension.empty() && extension[0] == u'.') extension.erase(0, 1);
        listed = ShowOneExtension(out, report, extension);
    } else {
        ListFiles(out, folder, report, guidFormat);
        ShowGuidFormat(out, guidFormat);
        ShowEveryExtension(out, report);
    }
    for (const Warning& warning : report.warnings) errors.Line(WarningText(warning));
    return report.warnings.empty() && listed ? 0 : 1;
}

}  // namespace
}  // namespace velmora::checker

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    int result = 2;
    try {
        result = velmora::checker::Run(argc, argv);
    } catch (const std::bad_alloc&) {
        velmora::checker::ConsoleOutput(STD_ERROR_HANDLE).Line(u"メモリが足りません");
    }
    LocalFree(argv);
    return result;
}
