#pragma once
// What the shell knows about the picker's places: whether one exists here,
// its small icon, and what to hand the shell to open it.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/UniqueHandle.h"

namespace velmora::explorer {

// The size of the buffer the browser's program path is written into.
inline constexpr std::size_t kBrowserPathCapacity = MAX_PATH;

struct SpecialFolderEntry {
    const wchar_t* name = nullptr;  // from the folder table; not owned
    UniqueIcon icon;                // the small icon the shell handed over
};

// Fills `entry` for an available place and returns true; returns false, with
// `entry` emptied, when the shell does not know the place on this system.
bool DescribeSpecialFolder(int number, SpecialFolderEntry& entry);

struct OpenTarget {
    const wchar_t* verb = nullptr;  // a verb the target demands, else null
    std::u16string file;            // the path to open, when there is one
    UniqueItemIdList idList;        // the item ID list to open, when there is one
};

// Looks up, now, what opens place `number`: the browser program with the
// verb "Open" for the Internet entry, the temporary-files path for the temp
// entry (and any number above the shell's), an item ID list for the others.
// False when nothing can be found.
bool FindOpenTarget(std::uint32_t number, OpenTarget& target);

// Writes the default web browser's program path, as the shell's open command
// for .htm files names it, into `buffer`. Returns 0, or -1 when a key or value
// is missing, the value is not a plain string or longer than 511 characters,
// or the path does not fit `capacity` units with its NUL (nothing is written
// then). The class keys are opened for reading only.
int FindBrowserPath(wchar_t* buffer, std::size_t capacity);

}  // namespace velmora::explorer
