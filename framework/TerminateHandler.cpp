// The shipped binaries' terminate handler. libstdc++'s default one prints the
// name of the uncaught exception's type, and for that links its whole name
// demangler and the C runtime's formatted-output engine. Nothing here lets an
// exception escape (every COM method and window procedure catches at its
// edge), and a GUI host has no console to print to, so terminating ends the
// process at once. Linked into velmora.dll and velmora-config.exe directly,
// not from a library, so that it is the definition the runtime finds.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler();
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
