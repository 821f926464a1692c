#pragma once
// Text between the three forms the code meets: the portable code's UTF-16
// (std::u16string, char16_t), the Windows calls' wchar_t, and bytes in a code
// page (the thread's ANSI code page, UTF-8, ...).
//
// On Windows wchar_t is the same 16-bit UTF-16 unit as char16_t, so those two
// pass by viewing the same units as the other type: nothing is copied. The
// shipped code keeps its text as std::u16string and views it as wchar_t only
// at a Windows call. Bytes convert with the system's code-page tables.
//
// Header only: the host stand-in and the tests use it without the add-in's
// library.
#include <windows.h>

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is the UTF-16 unit");

// The same units as wchar_t, for a Windows call.
inline const wchar_t* AsWide(const char16_t* text) noexcept { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(char16_t* text) noexcept { return reinterpret_cast<wchar_t*>(text); }
inline std::wstring_view AsWide(std::u16string_view text) noexcept { return {AsWide(text.data()), text.size()}; }

// The same units as char16_t, for the portable code.
inline const char16_t* AsU16(const wchar_t* text) noexcept { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* AsU16(wchar_t* text) noexcept { return reinterpret_cast<char16_t*>(text); }
inline std::u16string_view AsU16(std::wstring_view text) noexcept { return {AsU16(text.data()), text.size()}; }

// Copies in the other string type (for code that keeps std::wstring).
inline std::u16string ToU16(std::wstring_view text) { return std::u16string(AsU16(text)); }
inline std::wstring ToWide(std::u16string_view text) { return std::wstring(AsWide(text)); }

// Converts `bytes` in `codePage` into `out`, which has room for `capacity`
// units; MultiByteToWideChar's `flags`. The number of units written: 0 when
// there are none, or when they do not fit or do not convert. Text longer
// than an int can count is cut there.
inline std::size_t FromCodePage(std::string_view bytes, UINT codePage, char16_t* out, std::size_t capacity,
                                DWORD flags = 0) noexcept {
    const int length = bytes.size() > INT_MAX ? INT_MAX : static_cast<int>(bytes.size());
    const int room = capacity > INT_MAX ? INT_MAX : static_cast<int>(capacity);
    if (length == 0 || room == 0) return 0;
    const int units = MultiByteToWideChar(codePage, flags, bytes.data(), length, AsWide(out), room);
    return units > 0 ? static_cast<std::size_t>(units) : 0;
}

// `bytes` in `codePage` as UTF-16; empty when they do not convert.
inline std::u16string FromCodePage(std::string_view bytes, UINT codePage, DWORD flags = 0) {
    // No code page gives more than one UTF-16 unit for a byte.
    std::u16string text(bytes.size(), u'\0');
    text.resize(FromCodePage(bytes, codePage, text.data(), text.size(), flags));
    return text;
}

// `text` in `codePage`; empty when it does not convert. `lossy`, if given,
// tells whether a character had no form there (not for UTF-8 and UTF-7, which
// have one for every character).
inline std::string ToCodePage(std::wstring_view text, UINT codePage, bool* lossy = nullptr) {
    if (lossy) *lossy = false;
    const int length = text.size() > INT_MAX / 4 ? INT_MAX / 4 : static_cast<int>(text.size());
    if (length == 0) return {};
    BOOL usedDefault = FALSE;
    BOOL* const defaultUsed = lossy && codePage != CP_UTF8 && codePage != CP_UTF7 ? &usedDefault : nullptr;
    const int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, defaultUsed);
    bytes.resize(static_cast<std::size_t>(written > 0 ? written : 0));
    if (lossy) *lossy = usedDefault != FALSE;
    return bytes;
}
inline std::string ToCodePage(std::u16string_view text, UINT codePage, bool* lossy = nullptr) {
    return ToCodePage(AsWide(text), codePage, lossy);
}

}  // namespace velmora
