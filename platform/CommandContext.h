#pragma once
// What a command needs of the add-in's connection, lent to it for one run:
// the host's automation root and the GUID fields that the connection keeps
// from run to run.
#include <oaidl.h>

#include <cstddef>

namespace velmora {

// Capacity of a GUID text (a template or a rendering), terminator included.
inline constexpr std::size_t kGuidTextCapacity = 512;

struct GuidFields {
    int& format;                         // the format index, 0 to 4
    wchar_t (&text)[kGuidTextCapacity];  // the last rendering
    bool& hasText;                       // whether `text` holds one
};

struct CommandContext {
    IDispatch* host;  // the host's root; null when not connected
    GuidFields guid;
};

}  // namespace velmora
