#pragma once
// Whether a key or mouse button was down for the input the calling thread
// last read from its queue (not the physical state now).
#include <windows.h>

namespace velmora {

inline bool KeyIsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x80) != 0; }

}  // namespace velmora
