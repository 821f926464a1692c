#pragma once
// Why a command did nothing. The commands stop silently for the user; each
// early stop writes one line, "Velmora: <command>: <reason>", to the debug
// output (OutputDebugStringW), where a debug-output viewer or an attached
// debugger shows it. Only the paths that stop early call this.
#include <string_view>

namespace velmora::debuglog {

// A reason is a static text; functions that can give up report theirs
// through an optional `const wchar_t** whyNot` out-parameter.
using Reason = const wchar_t*;

// Writes "Velmora: <command>: <reason>". Allocates nothing and never throws;
// a line longer than the buffer is cut. Gives -1, the result of a command
// that stopped, so that a command can `return CommandStopped(...)`.
int CommandStopped(const wchar_t* command, Reason reason) noexcept;
// The same with `detail` (a path, an extension) after the reason, in quotes.
int CommandStopped(const wchar_t* command, Reason reason, std::u16string_view detail) noexcept;

// Stores `reason` where an optional out-parameter points.
inline void Tell(Reason* whyNot, Reason reason) noexcept {
    if (whyNot) *whyNot = reason;
}

}  // namespace velmora::debuglog
