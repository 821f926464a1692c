#pragma once
// The whole X display that Wine draws on, saved as a PNG by ImageMagick's
// import, for a person to look at a pop-up.
#include <windows.h>

#include <string>

namespace velmora::popup {

// Lets `window` (of another thread) paint everything now: returns once its
// thread has handled the paint messages.
void PaintNow(HWND window);

// Writes the screen to `windowsPath`, which must lie on Wine's Z: drive.
// Returns an empty text on success, else what went wrong.
std::wstring SaveScreenPng(const std::wstring& windowsPath);

}  // namespace velmora::popup
