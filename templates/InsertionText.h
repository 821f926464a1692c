#pragma once
// The text the CodeTemplate command pastes, and the document extension it
// looks templates up by.
#include <string>
#include <vector>

namespace velmora {

// The body lines joined with LF, each line ending in one LF; every line after
// the first starts with (column - 1) spaces, the caret's column being where
// the first line goes. No lines give an empty text.
std::u16string BuildInsertionText(const std::vector<std::u16string>& lines, long displayColumn);

// The text after the last "." of a document name, case kept; a name without
// "." is its own extension.
std::u16string ExtensionOf(const std::u16string& documentName);

}  // namespace velmora
