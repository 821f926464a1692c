#include "checker/Messages.h"

namespace velmora::checker {

std::u16string Number(std::size_t value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

namespace {

const char16_t kReadFailure[] = u"「テンプレートファイルの読込みに失敗しました」";

std::u16string Quoted(const std::u16string& text) { return u"\"" + text + u"\""; }

std::u16string Place(const std::u16string& file, std::size_t line) {
    return line == 0 ? file : file + u"(" + Number(line) + u")";
}

std::u16string What(const Warning& w) {
    switch (w.finding) {
    case Finding::SetFileMissing:
        return u"CodeSet.ini を開けません。CodeTemplate はどの文書でも" + std::u16string(kReadFailure) +
               u"と表示します";
    case Finding::LineWithoutEquals:
        return u"\"=\" のない行は読み飛ばされます。テンプレートファイルの指定なら "
               u"\"ファイル名=拡張子;拡張子\" と書いてください: " +
               Quoted(Visible(w.subject));
    case Finding::EmptyItemEndsList:
        return u"空の項目で拡張子の並びが終わるため、その後ろの " + Quoted(w.subject) + u" は使われません";
    case Finding::ExtensionCaseVariant:
        return u"拡張子 " + Quoted(w.subject) + u" は " + Quoted(w.extension) + u" (" +
               Place(w.otherFile, w.otherLine) +
               u") と大文字小文字だけが違いますが、別のテンプレートファイルが使われます (拡張子は大文字小文字を"
               u"区別して比べます)";
    case Finding::TemplateFileUnreadable:
        return u"テンプレートファイル " + Quoted(w.subject) + u" を開けません。これを使う文書では CodeTemplate が" +
               kReadFailure + u"と表示します";
    case Finding::DuplicateTemplateName:
        return u"テンプレート名 " + Quoted(w.subject) + u" が" +
               (w.extension == u"*" ? std::u16string(u" \"*\" の") : u"拡張子 " + Quoted(w.extension) + u" の") +
               u"一覧に二度出ます (最初は " + Place(w.otherFile, w.otherLine) + u")";
    case Finding::BodyLineStartsTemplate:
        return u"\"[\"、\"|\"、\"]\" を含むこの行は見出し行として読まれ、新しいテンプレートを始めます: " +
               Quoted(Visible(w.subject));
    case Finding::EmptyLinesInTemplate:
        return u"テンプレート " + Quoted(w.subject) + u" の本文がここから空行で終わっています。空行も貼り付けられます";
    case Finding::GuidSetMissing:
        return u"GuidSet.ini を開けません。InsertGUID と SelectGUID は何もしません";
    case Finding::GuidSetContent:
        return u"0 から 4 の数字 1 文字だけを書いてください。今の内容: " + Quoted(Visible(w.subject));
    }
    return {};
}

}  // namespace

std::u16string Visible(const std::u16string& text) {
    constexpr std::size_t kLongest = 60;
    const char16_t hex[] = u"0123456789ABCDEF";
    std::u16string shown;
    for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
        const char16_t unit = text[i];
        if (unit == u'\r') {
            shown += u"\\r";
        } else if (unit == u'\n') {
            shown += u"\\n";
        } else if (unit == u'\t') {
            shown += u"\\t";
        } else if (unit < 0x20 || unit == 0x7F) {
            shown += u"\\x";
            shown += hex[unit >> 4];
            shown += hex[unit & 0xF];
        } else {
            shown += unit;
        }
    }
    if (text.size() > kLongest) shown += u"…";
    return shown;
}

std::u16string WarningText(const Warning& warning) {
    return Place(warning.file, warning.line) + u": 警告: " + What(warning);
}

std::u16string WhyNothingIsListed(const ExtensionListing& listing) {
    if (listing.loadResult == -2) return u"CodeTemplate は何もしません: CodeSet.ini にこの拡張子を扱う行がありません";
    switch (listing.unreadable) {
    case TracedTemplateSet::Unreadable::SetFile:
        return u"CodeSet.ini を開けないため、CodeTemplate は" + std::u16string(kReadFailure) + u"と表示します";
    case TracedTemplateSet::Unreadable::TemplateFile:
        return u"テンプレートファイル " + Quoted(listing.unreadableFile) + u" を開けないため、CodeTemplate は" +
               kReadFailure + u"と表示します";
    case TracedTemplateSet::Unreadable::None:
        break;
    }
    return u"CodeTemplate は" + std::u16string(kReadFailure) + u"と表示します";
}

}  // namespace velmora::checker
