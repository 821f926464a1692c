#pragma once
// velmora-config --setup: the starter configuration for a user who has none
// yet. The installer package runs it as the user who installs or repairs,
// and through Active Setup once for every other user at their next logon;
// install.cmd's user gets the files from the script. The files come from the
// "starter" folder beside the program.
namespace velmora::checker {

class ConsoleOutput;

// Copies each file of the starter folder that the configuration folder lacks
// into it, making the folder when it is missing, and keeps every file that
// is there, edited or not. Lists the configuration folder and then, one line
// per starter file, whether it was copied or kept, on `out`; what failed goes
// to `errors`. Returns 0 when every file is there, 1 when the starter folder
// is missing (then nothing is made), the configuration folder cannot be made
// or a file cannot be copied.
int SetUpStarterConfiguration(ConsoleOutput& out, ConsoleOutput& errors);

}  // namespace velmora::checker
