#pragma once
// The configuration checker's texts. They are Japanese, as the add-in's own
// texts are; file names, extensions and lines from the files are quoted as
// they stand.
#include <string>

#include "checker/ConfigCheck.h"

namespace velmora::checker {

// `value` in decimal digits, as the messages show line numbers and codes.
std::u16string Number(std::size_t value);

// "<file>(<line>): 警告: <what>", or "<file>: 警告: <what>" for a whole file.
std::u16string WarningText(const Warning& warning);

// A line of a file quoted so that every character shows: control
// characters as \r, \n, \t or \xNN, and the text cut after 60 units.
std::u16string Visible(const std::u16string& text);

// Why CodeTemplate lists nothing for `listing`, which has a load result
// other than 0: the sentence after "拡張子 ... の文書では".
std::u16string WhyNothingIsListed(const ExtensionListing& listing);

}  // namespace velmora::checker
