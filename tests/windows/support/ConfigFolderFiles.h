#pragma once
// The add-in's configuration folder, found the way the shell names it now
// (not through the add-in's own lookup, which the tests check), and the
// files in it for one test or one demo scenario.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

// The application-data folder without a trailing backslash.
std::wstring AppDataFolder();
// "<AppData>\Orinth\Velmora", without a trailing backslash.
std::wstring ConfigFolder();

// Makes the configuration folder and sets aside CodeSet.ini and GuidSet.ini,
// so that each user starts without them. At destruction every file written
// here and both set-aside names are removed, what was set aside comes back,
// and the folders made here go when empty.
class ConfigFolderFiles {
public:
    ConfigFolderFiles();
    ~ConfigFolderFiles();
    ConfigFolderFiles(const ConfigFolderFiles&) = delete;
    ConfigFolderFiles& operator=(const ConfigFolderFiles&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

    // Raw bytes through the UTF-16 path; `relative` may lead into subfolders
    // ("cs\\cs.txt"), which are made. Throws std::runtime_error when the file
    // cannot be written whole: nothing after it would mean anything.
    void Write(const std::wstring& relative, const std::string& bytes);
    std::optional<std::string> Read(const std::wstring& relative) const;
    void Remove(const std::wstring& relative) const;
    // Removes the set-aside names and then "Orinth\Velmora" and "Orinth"
    // when they are empty, for a run that must find no folder.
    void RemoveFolders() const;

private:
    void MakeFolders(const std::wstring& path);

    struct SetAside {
        const wchar_t* name;
        std::optional<std::string> bytes;
    };
    std::wstring folder_;
    std::vector<SetAside> setAside_;
    std::vector<std::wstring> written_;
    std::vector<std::wstring> madeFolders_;  // outermost first
};

}  // namespace velmora::test
