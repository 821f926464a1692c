#include "testbed/demo/Screenshot.h"

#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <optional>

#include "framework/UniqueHandle.h"
#include "testbed/fixtures/ComApartment.h"
#include "testbed/fixtures/ScreenCapture.h"

namespace velmora::demo {

namespace {

using Microsoft::WRL::ComPtr;

struct ScreenDcTraits {
    using Handle = HDC;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ReleaseDC(nullptr, h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DeleteDC(h); }
};
struct BitmapTraits {
    using Handle = HBITMAP;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DeleteObject(h); }
};

// VELMORA_SCREENSHOT_DIR\name, or nothing when the variable is not set.
std::optional<std::wstring> ScreenshotPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"VELMORA_SCREENSHOT_DIR", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    std::wstring path = folder;
    if (path.back() != L'\\') path += L'\\';
    return path + name;
}

// Copies the window's screen area into a PNG file. Returns an empty string
// on success, else what failed.
std::wstring SaveWindowPng(HWND window, const std::wstring& path) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return L"GetWindowRect";
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    UniqueHandle<ScreenDcTraits> screen(GetDC(nullptr));
    UniqueHandle<MemoryDcTraits> memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueHandle<BitmapTraits> bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return L"CreateDIBSection";
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    SelectObject(memory.get(), old);
    if (!copied) return L"BitBlt";
    GdiFlush();
    // Opaque pixels for the encoder.
    auto* pixel = static_cast<BYTE*>(bits);
    for (int i = 0; i < width * height; ++i) pixel[4 * i + 3] = 0xFF;

    // COM for this thread, unless it has COM already.
    test::ComApartment apartment(COINIT_MULTITHREADED);
    if (!apartment.Usable()) return L"CoInitializeEx " + HexCode(apartment.Result());
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr)) hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height));
    if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA)) hr = E_NOTIMPL;
    if (SUCCEEDED(hr)) {
        hr = frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width) * 4,
                                static_cast<UINT>(width * height * 4), static_cast<BYTE*>(bits));
    }
    if (SUCCEEDED(hr)) hr = frame->Commit();
    if (SUCCEEDED(hr)) hr = encoder->Commit();
    return FAILED(hr) ? L"PNG encoding " + HexCode(hr) : L"";
}

}  // namespace

Screenshot TakeScreenshot(HWND window, ScreenshotArea area, const wchar_t* name) {
    Screenshot shot;
    if (!name) return shot;
    const std::optional<std::wstring> path = ScreenshotPath(name);
    if (!path) return shot;
    shot.path = *path;
    popup::PaintNow(window);
    shot.failure = area == ScreenshotArea::Window ? SaveWindowPng(window, shot.path) : popup::SaveScreenPng(shot.path);
    return shot;
}

void ReportScreenshot(Report& report, const std::wstring& label, const Screenshot& shot) {
    if (shot.path.empty()) return;
    if (shot.failure.empty()) {
        report.Line(label + shot.path);
    } else {
        report.Fail(L"screenshot: " + shot.failure);
    }
}

}  // namespace velmora::demo
