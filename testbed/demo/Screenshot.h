#pragma once
// Screenshots of an open pop-up, saved as PNG files into the folder that the
// environment variable VELMORA_SCREENSHOT_DIR names (a Windows path). Without
// the variable the demo takes none.
#include <windows.h>

#include <string>

#include "testbed/demo/Report.h"

namespace velmora::demo {

// What a screenshot shows.
enum class ScreenshotArea {
    // The pop-up's own area, copied from the screen and encoded by WIC.
    Window,
    // The whole X display that Wine draws on, taken by ImageMagick's import;
    // the folder must then lie on Wine's Z: drive.
    Screen,
};

struct Screenshot {
    std::wstring path;     // the file's Windows path; empty when none was taken
    std::wstring failure;  // what went wrong; empty when the file was written
};

// Lets `window` paint, then saves `area` as VELMORA_SCREENSHOT_DIR\name.
// Takes none when `name` is null or the variable is not set. Meant for the
// helper thread that plays the user while the pop-up is open.
Screenshot TakeScreenshot(HWND window, ScreenshotArea area, const wchar_t* name);

// Prints `label` followed by the path of a screenshot that was written, or
// fails the report with what went wrong. Prints nothing when none was taken.
void ReportScreenshot(Report& report, const std::wstring& label, const Screenshot& shot);

}  // namespace velmora::demo
