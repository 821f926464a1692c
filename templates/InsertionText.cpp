#include "templates/InsertionText.h"

namespace velmora {

std::u16string BuildInsertionText(const std::vector<std::u16string>& lines, long displayColumn) {
    const std::u16string indentation(displayColumn > 1 ? static_cast<std::size_t>(displayColumn - 1) : 0, u' ');
    std::size_t size = 0;
    for (const std::u16string& line : lines) size += indentation.size() + line.size() + 1;

    std::u16string text;
    text.reserve(size);
    for (const std::u16string& line : lines) {
        if (!text.empty()) text += indentation;
        text += line;
        text += u'\n';
    }
    return text;
}

std::u16string ExtensionOf(const std::u16string& documentName) {
    std::size_t dot = documentName.rfind(u'.');
    if (dot == std::u16string::npos) return documentName;
    return documentName.substr(dot + 1);
}

}  // namespace velmora
