#pragma once
// A CodeTemplateSet that notes which file stopped LoadForExtension, so that
// a caller can say why nothing is listed: the CodeTemplate command's debug
// line and the configuration checker.
#include <string>
#include <vector>

#include "templates/CodeTemplateSet.h"

namespace velmora {

class TracedTemplateSet final : public CodeTemplateSet {
public:
    using CodeTemplateSet::CodeTemplateSet;

    enum class Unreadable { None, SetFile, TemplateFile };

    // The last file that could not be opened, if any: CodeSet.ini, or the
    // template file at unreadablePath (its full path).
    Unreadable unreadable = Unreadable::None;
    std::u16string unreadablePath;

    int ReadTemplateFile(const std::u16string& path) override;
    int ReadSetFile(const std::u16string& extension, std::vector<std::u16string>& paths) override;
};

}  // namespace velmora
