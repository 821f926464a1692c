#include "templates/TracedTemplateSet.h"

namespace velmora {

int TracedTemplateSet::ReadTemplateFile(const std::u16string& path) {
    const int result = CodeTemplateSet::ReadTemplateFile(path);
    if (result != 0) {
        unreadable = Unreadable::TemplateFile;
        unreadablePath = path;
    }
    return result;
}

int TracedTemplateSet::ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) {
    const int result = CodeTemplateSet::ReadSetFile(extension, paths);
    if (result != 0) unreadable = Unreadable::SetFile;
    return result;
}

}  // namespace velmora
