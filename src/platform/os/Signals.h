#pragma once
// The signals that ask a process to end (SIGTERM at a desktop logout, SIGHUP
// when its terminal goes, SIGINT for Ctrl+C) are noted rather than ending the
// game at once, so that it can keep the player's settings first. A second
// such signal ends the process straight away.

namespace tav::os {

void WatchTerminationSignals();
// True once one of the signals has come.
bool TerminationRequested();
// Forgets a signal that came (tests).
void ClearTerminationRequest();

}  // namespace tav::os
