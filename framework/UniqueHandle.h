#pragma once
// One owner template for every Windows handle the add-in holds. Each handle
// type gets a traits struct (its empty value and how to close it) and an alias.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>
#include <shlobj.h>
#include <utility>

namespace velmora {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Empty(); }

    // For out-parameters: closes what is held and hands out the slot.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

    // Gives up ownership without closing.
    Handle release() noexcept { return std::exchange(handle_, Traits::Empty()); }

    void reset(Handle handle = Traits::Empty()) noexcept {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Handle handle_ = Traits::Empty();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { RegCloseKey(h); }
};
struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { GlobalFree(h); }
};
struct BstrTraits {
    using Handle = BSTR;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { SysFreeString(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DestroyIcon(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ImageList_Destroy(h); }
};
struct ItemIdListTraits {
    using Handle = LPITEMIDLIST;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CoTaskMemFree(h); }
};
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DestroyWindow(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { FreeLibrary(h); }
};

using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueGlobal = UniqueHandle<GlobalMemoryTraits>;
using UniqueBstr = UniqueHandle<BstrTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueImageList = UniqueHandle<ImageListTraits>;
using UniqueItemIdList = UniqueHandle<ItemIdListTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;  // a module loaded by LoadLibrary

}  // namespace velmora
