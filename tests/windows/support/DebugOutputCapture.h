#pragma once
// Captures what this process writes with OutputDebugString the way a
// debug-output viewer does: the shared section DBWIN_BUFFER (the writer's
// process id, then the text) and the events DBWIN_BUFFER_READY and
// DBWIN_DATA_READY. One viewer can listen on a desktop at a time.
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/UniqueHandle.h"

namespace velmora::test {

class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    // False when the section could not be made or another viewer has it.
    bool Listening() const { return listening_; }

    // The messages this process wrote since the capture started or since
    // the last Take, each without its line end. Waits until every message
    // written before the call has been received.
    std::vector<std::wstring> Take();

private:
    void Listen();

    UniqueKernelHandle writersMutex_;
    UniqueKernelHandle section_;
    UniqueKernelHandle bufferReady_;
    UniqueKernelHandle dataReady_;
    UniqueKernelHandle stop_;
    void* view_ = nullptr;
    bool listening_ = false;
    std::mutex lock_;
    std::vector<std::wstring> messages_;
    std::thread listener_;
};

}  // namespace velmora::test
