#include "support/DebugOutputCapture.h"

#include <cstring>
#include <utility>

#include "framework/TextConversion.h"

namespace velmora::test {

namespace {

constexpr DWORD kSectionSize = 4096;
constexpr DWORD kWait = 5000;

// The section holds the writer's process id, then its text in the ANSI code page.
struct SectionLayout {
    DWORD processId;
    char text[kSectionSize - sizeof(DWORD)];
};

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
    // Writers hold this mutex while they wait for the buffer and fill it.
    writersMutex_.reset(CreateMutexW(nullptr, FALSE, L"DBWinMutex"));
    HANDLE section =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSectionSize, L"DBWIN_BUFFER");
    const bool another = GetLastError() == ERROR_ALREADY_EXISTS;  // another viewer listens
    section_.reset(section);
    if (!writersMutex_ || !section_ || another) return;
    view_ = MapViewOfFile(section_.get(), FILE_MAP_READ, 0, 0, kSectionSize);
    bufferReady_.reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY"));
    dataReady_.reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!view_ || !bufferReady_ || !dataReady_ || !stop_) return;
    listening_ = true;
    listener_ = std::thread([this] { Listen(); });
}

DebugOutputCapture::~DebugOutputCapture() {
    if (listener_.joinable()) {
        SetEvent(stop_.get());
        listener_.join();
    }
    if (view_) UnmapViewOfFile(view_);
}

void DebugOutputCapture::Listen() {
    const HANDLE waits[] = {dataReady_.get(), stop_.get()};
    const auto* section = static_cast<const SectionLayout*>(view_);
    for (;;) {
        SetEvent(bufferReady_.get());
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return;
        if (section->processId != GetCurrentProcessId()) continue;
        std::size_t length = strnlen(section->text, sizeof section->text);
        while (length > 0 && (section->text[length - 1] == '\n' || section->text[length - 1] == '\r')) --length;
        std::lock_guard<std::mutex> hold(lock_);
        messages_.push_back(ToWide(FromCodePage(std::string_view(section->text, length), CP_ACP)));
    }
}

std::vector<std::wstring> DebugOutputCapture::Take() {
    if (listening_ && WaitForSingleObject(writersMutex_.get(), kWait) == WAIT_OBJECT_0) {
        // No writer is at work now. The buffer is handed back once the
        // listener has taken the last message: take it and give it back.
        if (WaitForSingleObject(bufferReady_.get(), kWait) == WAIT_OBJECT_0) SetEvent(bufferReady_.get());
        ReleaseMutex(writersMutex_.get());
    }
    std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(messages_, {});
}

}  // namespace velmora::test
