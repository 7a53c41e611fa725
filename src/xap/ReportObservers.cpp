#include "ReportObservers.h"

#include "ProgramState.h"

namespace xap {

namespace {

std::vector<LogRecordObserver>& recordObservers()
{
    return state().logRecordObservers;
}

std::vector<LogEventObserver>& eventObservers()
{
    return state().logEventObservers;
}

// An observer that reports would come back here: such nested reports are not passed on.
thread_local bool notifying = false;

} // namespace

void addLogRecordObserver(LogRecordObserver observer)
{
    recordObservers().push_back(std::move(observer));
}

void addLogEventObserver(LogEventObserver observer)
{
    eventObservers().push_back(std::move(observer));
}

void notifyLogRecord(std::string_view source, std::string_view text)
{
    if (notifying || recordObservers().empty())
        return;
    notifying = true;
    for (const LogRecordObserver& observer : recordObservers())
        vb::ignoreErrors([&] { observer(source, text); });
    notifying = false;
}

void notifyLogEvent(std::string_view type, std::string_view text, const vb::Failure& failure)
{
    if (notifying || eventObservers().empty())
        return;
    notifying = true;
    for (const LogEventObserver& observer : eventObservers())
        vb::ignoreErrors([&] { observer(type, text, failure); });
    notifying = false;
}

} // namespace xap
