#include "checker/RegistrationStatus.h"

#include <windows.h>

#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AddInKey.h"
#include "Identity.h"
#include "checker/ConsoleOutput.h"
#include "checker/Messages.h"
#include "checker/ProgramFolder.h"
#include "framework/UniqueHandle.h"
#include "framework/TextConversion.h"

namespace velmora::checker {
namespace {

// The IDE is a 32-bit program: on 64-bit Windows it reads the 32-bit view.
constexpr REGSAM kView = KEY_WOW64_32KEY;
const char16_t kIndent[] = u"    ";

// Registry paths are UTF-16 text, as everywhere in this program (no wchar_t
// strings: they would bring a second string class into the program).
std::optional<UniqueRegKey> OpenKey(HKEY root, const std::u16string& path) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, AsWide(path.c_str()), 0, KEY_QUERY_VALUE | kView, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::optional<UniqueRegKey>(std::move(key));
}

// A string value (REG_EXPAND_SZ expanded); nothing when the key or the value
// is missing or holds no string.
std::optional<std::u16string> ReadString(HKEY root, const std::u16string& path, const wchar_t* name) {
    const std::optional<UniqueRegKey> key = OpenKey(root, path);
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExW(key->get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::u16string text(size / sizeof(char16_t) + 1, u'\0');
    size = static_cast<DWORD>(text.size() * sizeof(char16_t));
    if (RegQueryValueExW(key->get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(text.find(u'\0'));
    if (type == REG_EXPAND_SZ) {
        std::u16string expanded(ExpandEnvironmentStringsW(AsWide(text.c_str()), nullptr, 0), u'\0');
        if (!expanded.empty() && ExpandEnvironmentStringsW(AsWide(text.c_str()), AsWide(expanded.data()),
                                                           static_cast<DWORD>(expanded.size())) != 0) {
            text.assign(expanded.c_str());
        }
    }
    return text;
}

std::optional<DWORD> ReadDword(HKEY root, const std::u16string& path, const wchar_t* name) {
    const std::optional<UniqueRegKey> key = OpenKey(root, path);
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key || RegQueryValueExW(key->get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                    ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

std::u16string GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return AsU16(text);
}

bool FileExists(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(AsWide(path.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "1.1.0.0" from the file's version resource; empty when it has none.
std::u16string FileVersion(const std::u16string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(AsWide(path.c_str()), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(AsWide(path.c_str()), 0, size, data.data()) ||
        !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || length < sizeof *info) {
        return {};
    }
    return Number(HIWORD(info->dwFileVersionMS)) + u"." + Number(LOWORD(info->dwFileVersionMS)) + u"." +
           Number(HIWORD(info->dwFileVersionLS)) + u"." + Number(LOWORD(info->dwFileVersionLS));
}

// The full, long form of a path, for comparing two spellings of one file.
std::u16string Canonical(const std::u16string& path) {
    std::u16string full(GetFullPathNameW(AsWide(path.c_str()), 0, nullptr, nullptr), u'\0');
    if (full.empty() || GetFullPathNameW(AsWide(path.c_str()), static_cast<DWORD>(full.size()), AsWide(full.data()),
                                         nullptr) == 0) {
        return path;
    }
    full.resize(full.find(u'\0'));
    std::u16string longer(GetLongPathNameW(AsWide(full.c_str()), nullptr, 0), u'\0');
    if (longer.empty() ||
        GetLongPathNameW(AsWide(full.c_str()), AsWide(longer.data()), static_cast<DWORD>(longer.size())) == 0) {
        return full;
    }
    longer.resize(longer.find(u'\0'));
    return longer;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
    const std::u16string left = Canonical(a), right = Canonical(b);
    return CompareStringOrdinal(AsWide(left.c_str()), static_cast<int>(left.size()), AsWide(right.c_str()),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// The add-in's key of one IDE version under one root.
struct AddInKeyState {
    bool present = false;
    std::optional<DWORD> loadBehavior;

    // Bit 0 of LoadBehavior: loaded when the IDE starts.
    bool LoadsAtStartUp() const { return loadBehavior && (*loadBehavior & 1) != 0; }
    std::u16string Text() const {
        if (!present) return u"なし";
        if (!loadBehavior) return u"LoadBehavior なし (読み込まれません)";
        return u"LoadBehavior " + Number(*loadBehavior) +
               (LoadsAtStartUp() ? u" (起動時に読み込む)" : u" (アドイン マネージャーで無効)");
    }
};

// <parent>\<version>: the IDE's own key of one version.
std::u16string IdeVersionKey(const wchar_t* version) {
    return AsU16(IdeKeyParent) + (u"\\" + std::u16string(AsU16(version)));
}

AddInKeyState ReadAddInKey(HKEY root, const wchar_t* version) {
    const std::u16string path = IdeVersionKey(version) + u"\\AddIns\\" + AsU16(AddInProgId);
    AddInKeyState state;
    state.present = OpenKey(root, path).has_value();
    if (state.present) state.loadBehavior = ReadDword(root, path, L"LoadBehavior");
    return state;
}

}  // namespace

int ShowRegistrationStatus(ConsoleOutput& out, ConsoleOutput& errors) {
    std::vector<std::u16string> warnings;
    const std::u16string programFolder = ProgramFolder();
    const std::u16string besideThis = programFolder + u"velmora.dll";
    const std::u16string classId = GuidText(CLSID_Connect);
    const std::u16string progId = AsU16(AddInProgId);

    // The class, as the IDE creates it: ProgID, then the class's server.
    out.Line(u"このプログラムのフォルダ: " + programFolder);
    out.Line(u"COM クラス " + classId + u":");
    const std::optional<std::u16string> progIdClass =
        ReadString(HKEY_CLASSES_ROOT, progId + u"\\CLSID", nullptr);
    if (!progIdClass) {
        out.Line(kIndent + (u"ProgID " + progId) + u": 登録されていません");
        warnings.push_back(u"ProgID " + progId + u" が登録されていないため、IDE は Velmora を作れません。");
    } else if (CompareStringOrdinal(AsWide(progIdClass->c_str()), -1, AsWide(classId.c_str()), -1, TRUE) !=
               CSTR_EQUAL) {
        out.Line(kIndent + (u"ProgID " + progId) + u": 別のクラス " + *progIdClass + u" を指しています");
        warnings.push_back(u"ProgID " + progId + u" が別のクラス " + *progIdClass +
                           u" を指しているため、IDE は Velmora を作れません。");
    } else {
        out.Line(kIndent + (u"ProgID " + progId) + u": このクラスを指しています");
    }

    const std::optional<std::u16string> server =
        ReadString(HKEY_CLASSES_ROOT, u"CLSID\\" + classId + u"\\InprocServer32", nullptr);
    if (!server || server->empty()) {
        out.Line(kIndent + std::u16string(u"サーバー (InprocServer32): 登録されていません"));
        warnings.push_back(u"COM クラス " + classId +
                           u" が登録されていないため、IDE は Velmora を読み込めません。install.cmd "
                           u"かパッケージでインストールし直してください。");
    } else {
        out.Line(kIndent + (u"サーバー (InprocServer32): " + *server));
        if (!FileExists(*server)) {
            out.Line(kIndent + std::u16string(u"ファイル: ありません"));
            warnings.push_back(u"登録されているサーバー " + *server + u" がないため、IDE は Velmora を読み込めません。");
        } else {
            const std::u16string version = FileVersion(*server);
            const bool beside = SamePath(*server, besideThis);
            out.Line(kIndent + (u"ファイル: あり、バージョン " + (version.empty() ? u"なし" : version) + u"、") +
                     (beside ? u"このプログラムと同じフォルダの velmora.dll" : u"このプログラムとは別のフォルダ"));
            if (!beside) {
                warnings.push_back(u"登録されているサーバー " + *server + u" はこのプログラムのフォルダ (" +
                                   programFolder + u") のものではないため、IDE は別の Velmora を読み込みます。");
            }
        }
    }
    const std::u16string typeLib =
        GuidText(LIBID_VelmoraLib) + u"\\" + Number(VelmoraLibMajor) + u"." + Number(VelmoraLibMinor);
    const std::optional<std::u16string> typeLibFile =
        ReadString(HKEY_CLASSES_ROOT, u"TypeLib\\" + typeLib + u"\\0\\win32", nullptr);
    out.Line(kIndent + (u"タイプ ライブラリ " + typeLib) + u": " +
             (typeLibFile ? u"登録済み (" + *typeLibFile + u")" : u"登録されていません"));

    // Each IDE version: installed or not, and the add-in's key of each root.
    out.Line(u"IDE (バージョン: インストール / HKCU のキー / HKLM のキー):");
    bool anyInstalled = false;
    for (const wchar_t* version : IdeVersions) {
        const std::optional<std::u16string> installDir =
            ReadString(HKEY_LOCAL_MACHINE, IdeVersionKey(version), L"InstallDir");
        const AddInKeyState user = ReadAddInKey(HKEY_CURRENT_USER, version);
        const AddInKeyState machine = ReadAddInKey(HKEY_LOCAL_MACHINE, version);
        out.Line(kIndent + (std::u16string(AsU16(version)) + u": ") +
                 (installDir ? u"インストール済み (" + *installDir + u")" : u"インストールされていません") + u" / " +
                 user.Text() + u" / " + machine.Text());
        if (!installDir) continue;
        anyInstalled = true;
        // The user's own key is the one the IDE goes by when both are there.
        const AddInKeyState& used = user.present ? user : machine;
        const std::u16string ide = u"IDE " + std::u16string(AsU16(version));
        if (!used.present) {
            warnings.push_back(ide + u" には Velmora のアドインキーが HKCU にも HKLM にもないため、Velmora "
                                     u"を読み込みません。");
        } else if (!used.LoadsAtStartUp()) {
            warnings.push_back(ide + u" の Velmora のアドインキー (" + (user.present ? u"HKCU" : u"HKLM") +
                               u") の LoadBehavior が " + (used.loadBehavior ? Number(*used.loadBehavior) : u"なし") +
                               u" のため、起動時に読み込みません。IDE のアドイン マネージャーで有効にしてください。");
        }
    }
    if (!anyInstalled) {
        warnings.push_back(u"アドインを読み込む IDE (バージョン " + std::u16string(AsU16(IdeVersions[0])) + u" から " +
                           AsU16(IdeVersions[std::size(IdeVersions) - 1]) + u") がインストールされていません。");
    }

    for (const std::u16string& warning : warnings) errors.Line(u"警告: " + warning);
    return warnings.empty() ? 0 : 1;
}

}  // namespace velmora::checker
