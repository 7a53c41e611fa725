#include "FatalSignals.h"

#include "EmergencyReport.h"

#include <csignal>
#include <cstdlib>

namespace platform {

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

void onFatalSignal(int signal)
{
    char text[256];
    char* const end = text + sizeof text - 1;
    char* p = appendText(text, end, "fatal signal ");
    p = appendNumber(p, end, static_cast<unsigned long>(signal));
    p = appendText(p, end, " in ");
    p = appendText(p, end, activityForReport());
    *p = '\0';
    writeEmergencyReport(text);
    // The handler was reset to the default action when it was entered: raising the
    // signal again ends the program with it once this handler returns.
    ::raise(signal);
}

} // namespace

void installFatalSignalReports()
{
    // Process-wide, as the handlers are: they are installed once per process.
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Room for the handler when the fault is a stack overflow.
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_ONSTACK | SA_NODEFER;
    for (int signal : kFatalSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace platform
