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

template <class Observer>
ObserverHandle add(std::vector<std::pair<ObserverHandle, Observer>>& list, ObserverHandle& next, Observer observer)
{
    const ObserverHandle handle = next++;
    list.emplace_back(handle, std::move(observer));
    return handle;
}

template <class Observer>
void remove(std::vector<std::pair<ObserverHandle, Observer>>& list, ObserverHandle handle)
{
    std::erase_if(list, [&](const auto& entry) { return entry.first == handle; });
}

} // namespace

ObserverHandle ReportObservers::addRecordObserver(LogRecordObserver observer)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    const ObserverHandle handle = add(records_, nextHandle_, std::move(observer));
    recordCount_.store(records_.size(), std::memory_order_relaxed);
    return handle;
}

ObserverHandle ReportObservers::addEventObserver(LogEventObserver observer)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    const ObserverHandle handle = add(events_, nextHandle_, std::move(observer));
    eventCount_.store(events_.size(), std::memory_order_relaxed);
    return handle;
}

void ReportObservers::removeRecordObserver(ObserverHandle handle)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    remove(records_, handle);
    recordCount_.store(records_.size(), std::memory_order_relaxed);
}

void ReportObservers::removeEventObserver(ObserverHandle handle)
{
    TALLIS_ASSERT(!notifying);
    std::lock_guard guard(lock_);
    remove(events_, handle);
    eventCount_.store(events_.size(), std::memory_order_relaxed);
}

void ReportObservers::notifyRecord(std::string_view source, std::string_view text)
{
    if (notifying || recordObserverCount() == 0)
        return;
    std::lock_guard guard(lock_);
    NotifyingScope inside;
    for (const auto& [handle, observer] : records_)
        vb::ignoreErrors([&] { observer(source, text); });
}

void ReportObservers::notifyEvent(std::string_view type, std::string_view text, const vb::Failure& failure)
{
    if (notifying || eventObserverCount() == 0)
        return;
    std::lock_guard guard(lock_);
    NotifyingScope inside;
    for (const auto& [handle, observer] : events_)
        vb::ignoreErrors([&] { observer(type, text, failure); });
}

ObserverHandle addLogRecordObserver(LogRecordObserver observer)
{
    return state().reportObservers.addRecordObserver(std::move(observer));
}

ObserverHandle addLogEventObserver(LogEventObserver observer)
{
    return state().reportObservers.addEventObserver(std::move(observer));
}

void removeLogRecordObserver(ObserverHandle handle)
{
    state().reportObservers.removeRecordObserver(handle);
}

void removeLogEventObserver(ObserverHandle handle)
{
    state().reportObservers.removeEventObserver(handle);
}

void notifyLogRecord(std::string_view source, std::string_view text)
{
    state().reportObservers.notifyRecord(source, text);
}

void notifyLogEvent(std::string_view type, std::string_view text, const vb::Failure& failure)
{
    state().reportObservers.notifyEvent(type, text, failure);
}

} // namespace xap
