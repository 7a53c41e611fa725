// Reports written when the program is in trouble: a fatal signal or a stalled event
// loop. They must work inside a signal handler and from a watchdog thread, so the
// log file's path and the line's framing are prepared once at start-up and a report
// is written with open/write/close only (no allocation, no locks, no stdio).
//
// The "activity" names what the program is doing for such a report: the name of the
// plug-in member being called, or nothing (then the report says "the program").
#pragma once

#include <string>

namespace platform {

// Prepares the reports: lines go to `logPath` as prefix + text + suffix, and to
// standard error as stderrPrefix + text + "\n". Call again to change them.
void prepareEmergencyReports(const std::string& logPath, const std::string& prefix, const std::string& suffix,
                             const std::string& stderrPrefix);

// Writes one report line (async-signal-safe once prepared; does nothing before).
void writeEmergencyReport(const char* text);

// Formats a non-negative number into `out` (async-signal-safe); returns the end.
char* appendNumber(char* out, char* end, unsigned long value);
// Appends a C string, stopping at `end`; returns the new end.
char* appendText(char* out, char* end, const char* text);

// What is running now: a text with static storage (a member name), or null.
void setActivity(const char* what);
const char* activity();
// The activity text for a report: the member name, or "the program".
const char* activityForReport();

// Sets the activity for the life of a scope and restores the previous one after.
class ActivityScope {
public:
    explicit ActivityScope(const char* what);
    ~ActivityScope();
    ActivityScope(const ActivityScope&) = delete;
    ActivityScope& operator=(const ActivityScope&) = delete;

private:
    const char* previous_;
};

} // namespace platform
