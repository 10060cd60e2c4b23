#pragma once
// Port: whether the user asked the running command to stop (Ctrl-C, SIGTERM), so that it ends
// through its destructors and takes the login block down with it.

namespace orra::terminal {

// Catches the stop requests from now on.
void WatchForStopRequest();
// Sleeps about 100 ms; false once a stop was requested.
bool WaitAWhile();

}  // namespace orra::terminal
