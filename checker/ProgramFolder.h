#pragma once
// Where velmora-config.exe lies: the folder the package and install.cmd put
// velmora.dll and the starter configuration in, beside it.
#include <string>

namespace velmora::checker {

// The folder of this program, with its trailing backslash; empty when the
// system does not tell.
std::u16string ProgramFolder();

}  // namespace velmora::checker
