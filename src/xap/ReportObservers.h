// Observers of the program's two reports: other parts (the automation interface) see
// every log-file record and every LogEvent report as it is made. Observers are added
// at start-up, before other threads run; they are called on the reporting thread and
// must not report themselves.
#pragma once

#include "automation/Error.h"

#include <functional>
#include <string_view>

namespace xap {

// A record of the log file: its source and its text (with the failure's line and
// description when one was being handled).
using LogRecordObserver = std::function<void(std::string_view source, std::string_view text)>;
// A LogEvent report, with the failure being handled (number 0 when none).
using LogEventObserver = std::function<void(std::string_view type, std::string_view text, const vb::Failure& failure)>;

void addLogRecordObserver(LogRecordObserver observer);
void addLogEventObserver(LogEventObserver observer);

// Called by WriteLogFile and LogEvent.
void notifyLogRecord(std::string_view source, std::string_view text);
void notifyLogEvent(std::string_view type, std::string_view text, const vb::Failure& failure);

} // namespace xap
