// The running script's context, so that long library work can honour its time-out.
#include "RunningContext.h"
#include "Limits.h"

namespace vbscript {

namespace {
thread_local BuiltinContext* current = nullptr;
thread_local unsigned countdown = 0;
} // namespace

BuiltinContext* runningContext()
{
    return current;
}

void setRunningContext(BuiltinContext* context)
{
    current = context;
    countdown = 0;
}

void pollLongWork()
{
    if (countdown-- > 0)
        return;
    countdown = limits::kLongWorkPollEvery;
    if (current)
        current->checkLongWork();
}

void checkLongWorkNow()
{
    if (current)
        current->checkLongWork();
}

} // namespace vbscript
