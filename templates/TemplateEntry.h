#pragma once
// One code template as the pick list shows it and the insertion uses it.
#include <string>
#include <vector>

namespace velmora {

struct TemplateEntry {
    std::u16string displayText;         // name, spaces up to the set's width, description
    std::u16string name;                // from the header line, trimmed
    std::u16string description;         // from the header line, trimmed
    std::vector<std::u16string> lines;  // the body, one element per line, no line ends
};

}  // namespace velmora
