#pragma once
// The add-in's configuration folder, "Orinth\Velmora\" under the user's
// application-data folder, and the files in it.
#include <fstream>
#include <string>

namespace velmora::config {

// "<application data>\Orinth\Velmora\", with its trailing backslash. When the
// shell cannot name the application-data folder the relative path is used.
std::wstring FolderPath();

// "<application data>\Orinth\Velmora\<name>", joined by the shell's path rule.
std::wstring FilePath(const wchar_t* name);

// Files are opened by their UTF-16 path, so a path with characters outside the
// ANSI code page still names the right file. Text mode, as the formats expect.
std::ifstream OpenForReading(const std::wstring& path);
std::ofstream OpenForWriting(const std::wstring& path);

}  // namespace velmora::config
