#pragma once
// Plays the user for a command that opens a modal pop-up. The command runs
// on the calling thread, whose message loop the pop-up uses, while a helper
// thread finds the pop-up and works it with the messages a user's actions
// produce.
#include <windows.h>

#include <functional>

#include "host/demo/Scenario.h"

namespace velmora::demo {

// Polls `condition` every 10 ms; false when it still fails after `timeoutMs`.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Execs the command `shortName` and hands the first visible dialog of the
// calling thread to `user`, on a helper thread, once it appears. False when no
// dialog appeared within 5 seconds; `user` is then not called. `user` must
// see that the dialog closes (AwaitClose), or the command never returns.
bool ExecWithPopUp(ScenarioContext& context, const wchar_t* shortName, const std::function<void(HWND dialog)>& user);

// Waits up to 5 seconds for `dialog` to close. When it stays open, cancels it
// so that the command can return, and answers false.
bool AwaitClose(HWND dialog);

}  // namespace velmora::demo
