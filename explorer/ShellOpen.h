#pragma once
// How the two folder commands hand a folder to the shell.
#include <windows.h>
#include <shtypes.h>

#include <initializer_list>

namespace velmora::explorer {

// "Open" shows a plain folder window, "explore" one with the folder tree:
// the plain window when one of `plainKeys` was held for the input that ran
// the command.
const wchar_t* FolderVerb(std::initializer_list<int> plainKeys);

// Asks the shell to open `idList`, or the file or folder `path` when there is
// no item list, with `verb`. The shell reports its own failures.
void ShellOpen(const wchar_t* verb, const wchar_t* path, LPCITEMIDLIST idList = nullptr);

}  // namespace velmora::explorer
