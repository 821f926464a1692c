#pragma once
// velmora-config --status: why an IDE shows Velmora's commands or not. It
// reads the registry as the 32-bit IDE does (the 32-bit view on 64-bit
// Windows, whatever this program's own build): the COM class the IDE
// creates through the ProgID, the server file behind it, the type library,
// and for every IDE version whether it is installed and finds the add-in's
// key under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
namespace velmora::checker {

class ConsoleOutput;

// Prints the state to `out`, and one "警告:" line to `errors` for each state
// in which an installed IDE will not load this copy of Velmora (or loads
// another one), or when no IDE that loads add-ins is installed. 0 when
// nothing was warned (so some installed IDE loads this copy), else 1.
int ShowRegistrationStatus(ConsoleOutput& out, ConsoleOutput& errors);

}  // namespace velmora::checker
