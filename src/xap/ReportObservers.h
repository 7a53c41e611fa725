// Observers of the program's two reports: other parts (the automation interface) see
// every log-file record and every LogEvent report as it is made. Reports are made on
// any thread; observers are called on the reporting thread and must not report
// themselves (such a nested report is not passed on) nor add or remove observers.
#pragma once

#include "automation/Error.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

namespace xap {

// A record of the log file: its source and its text (with the failure's line and
// description when one was being handled).
using LogRecordObserver = std::function<void(std::string_view source, std::string_view text)>;
// A LogEvent report, with the failure being handled (number 0 when none).
using LogEventObserver = std::function<void(std::string_view type, std::string_view text, const vb::Failure& failure)>;

// What add returns and remove takes; 0 names no observer.
using ObserverHandle = std::size_t;

// One program's observers (its state keeps them). A lock, taken by notify while it
// calls the observers and by add and remove, keeps the lists whole across threads:
// once remove returns, its observer is not called again and no call of it is still
// under way. Notify waits at most for an add, a remove or another thread's calls.
class ReportObservers {
public:
    ObserverHandle addRecordObserver(LogRecordObserver observer);
    ObserverHandle addEventObserver(LogEventObserver observer);
    // Unknown handles (0, or one already removed) are passed over.
    void removeRecordObserver(ObserverHandle handle);
    void removeEventObserver(ObserverHandle handle);

    void notifyRecord(std::string_view source, std::string_view text);
    void notifyEvent(std::string_view type, std::string_view text, const vb::Failure& failure);

    std::size_t recordObserverCount() const { return records_.count.load(std::memory_order_relaxed); }
    std::size_t eventObserverCount() const { return events_.count.load(std::memory_order_relaxed); }

private:
    // One kind of observer, in the order added, with its size, read without the lock
    // so that a report nobody watches costs nothing.
    template <class Observer>
    struct List {
        std::vector<std::pair<ObserverHandle, Observer>> entries;
        std::atomic<std::size_t> count{0};
    };

    template <class Observer>
    ObserverHandle add(List<Observer>& list, Observer observer);
    template <class Observer>
    void remove(List<Observer>& list, ObserverHandle handle);
    template <class Observer, class... Args>
    void notify(List<Observer>& list, const Args&... args);

    std::mutex lock_;
    List<LogRecordObserver> records_;
    List<LogEventObserver> events_;
    ObserverHandle nextHandle_ = 1;
};

struct ProgramState;

// The observers of `program`'s reports.
ObserverHandle addLogRecordObserver(ProgramState& program, LogRecordObserver observer);
ObserverHandle addLogEventObserver(ProgramState& program, LogEventObserver observer);
void removeLogRecordObserver(ProgramState& program, ObserverHandle handle);
void removeLogEventObserver(ProgramState& program, ObserverHandle handle);

// Called by WriteLogFile and LogEvent.
void notifyLogRecord(ProgramState& program, std::string_view source, std::string_view text);
void notifyLogEvent(ProgramState& program, std::string_view type, std::string_view text, const vb::Failure& failure);

} // namespace xap
