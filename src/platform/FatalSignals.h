// FatalSignals: a last report when the program dies of SIGSEGV, SIGBUS, SIGILL, SIGFPE
// or SIGABRT. The handler writes one emergency report ("fatal signal N in <activity>")
// and then lets the signal take its default action, so the program still ends with
// that signal (and a service manager restarts it). The handler runs on a stack of its
// own, so a stack overflow is reported too.
#pragma once

namespace platform {

// Installs the handlers (once; later calls do nothing). Reports go where
// prepareEmergencyReports says.
void installFatalSignalReports();

} // namespace platform
