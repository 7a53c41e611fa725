#include "ReportObservers.h"

#include "ProgramState.h"

#include "base/Assert.h"

#include <algorithm>

namespace xap {

namespace {

// An observer that reports would come back here: such nested reports are not passed
// on (and do not wait for the lock this thread already holds).
thread_local bool notifying = false;

struct NotifyingScope {
    NotifyingScope() { notifying = true; }
    ~NotifyingScope() { notifying = false; }
};

} // namespace

template <class Observer>
ObserverHandle ReportObservers::add(List<Observer>& list, Observer observer)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    const ObserverHandle handle = nextHandle_++;
    list.entries.emplace_back(handle, std::move(observer));
    list.count.store(list.entries.size(), std::memory_order_relaxed);
    return handle;
}

template <class Observer>
void ReportObservers::remove(List<Observer>& list, ObserverHandle handle)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    std::erase_if(list.entries, [&](const auto& entry) { return entry.first == handle; });
    list.count.store(list.entries.size(), std::memory_order_relaxed);
}

template <class Observer, class... Args>
void ReportObservers::notify(List<Observer>& list, const Args&... args)
{
    if (notifying || list.count.load(std::memory_order_relaxed) == 0)
        return;
    std::lock_guard guard(lock_);
    NotifyingScope inside;
    for (const auto& entry : list.entries)
        vb::ignoreErrors([&] { entry.second(args...); });
}

ObserverHandle ReportObservers::addRecordObserver(LogRecordObserver observer)
{
    return add(records_, std::move(observer));
}

ObserverHandle ReportObservers::addEventObserver(LogEventObserver observer)
{
    return add(events_, std::move(observer));
}

void ReportObservers::removeRecordObserver(ObserverHandle handle)
{
    remove(records_, handle);
}

void ReportObservers::removeEventObserver(ObserverHandle handle)
{
    remove(events_, handle);
}

void ReportObservers::notifyRecord(std::string_view source, std::string_view text)
{
    notify(records_, source, text);
}

void ReportObservers::notifyEvent(std::string_view type, std::string_view text, const vb::Failure& failure)
{
    notify(events_, type, text, failure);
}

ObserverHandle addLogRecordObserver(ProgramState& program, LogRecordObserver observer)
{
    return program.reportObservers.addRecordObserver(std::move(observer));
}

ObserverHandle addLogEventObserver(ProgramState& program, LogEventObserver observer)
{
    return program.reportObservers.addEventObserver(std::move(observer));
}

void removeLogRecordObserver(ProgramState& program, ObserverHandle handle)
{
    program.reportObservers.removeRecordObserver(handle);
}

void removeLogEventObserver(ProgramState& program, ObserverHandle handle)
{
    program.reportObservers.removeEventObserver(handle);
}

void notifyLogRecord(ProgramState& program, std::string_view source, std::string_view text)
{
    program.reportObservers.notifyRecord(source, text);
}

void notifyLogEvent(ProgramState& program, std::string_view type, std::string_view text, const vb::Failure& failure)
{
    program.reportObservers.notifyEvent(type, text, failure);
}

} // namespace xap
