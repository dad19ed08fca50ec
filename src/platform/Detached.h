#pragma once
// Work handed to a thread nobody waits for: a post that was cancelled but whose worker is
// still inside a blocking call, a picture still being decoded when its run ended. The thread
// keeps the module loaded until it is done, so a page that goes, and a browser that unloads
// us, never pull the code out from under it; and the window thread never waits for it.
#include <functional>

namespace Korvel::Threading {

// Runs work on a new thread that holds a reference on this module until work returns.
// Exceptions end in the thread. False (and work not run) when no thread could be started.
bool RunDetached(std::function<void()> work);

}  // namespace Korvel::Threading
