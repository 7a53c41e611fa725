// Guards on the send path that keep the node from feeding itself or flooding the LAN:
//
// - Own messages. Every message the node sends comes back through the hub. While the
//   node handles a message that carries its own source and UID (OwnMessageScope),
//   nothing is sent: a reply to it would come back in turn, and a handler that fails
//   on every message would report each failure, receive the report, fail again, and
//   so on for ever. What is held back is written to the log file instead.
// - Log events. "Homeseer.Event" messages (LogEvent, the host's WriteLog) leave at
//   most 10 a second (a burst of 20 at once); the rest are written to the log file
//   only, and once the bucket has room again one event says how many were held back
//   ("N further log events suppressed").
#pragma once

#include "TokenBucket.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class Timer;
}

namespace xap {

struct ProgramState;

// True when `source` (without its sub-address) and `uid` (without its sub-address
// part) are the node's own, compared without regard to case.
bool isOwnMessage(const ProgramState& program, std::string_view source, std::string_view uid);

// Marks the handling of one received message by `program`; once it is known to be the
// node's own (markOwn), the program sends nothing until the scope ends. Made before the
// error trap of the handling, so that a failure's report is held back too.
class OwnMessageScope {
public:
    explicit OwnMessageScope(ProgramState& program)
        : program_(program)
    {
    }
    ~OwnMessageScope();
    OwnMessageScope(const OwnMessageScope&) = delete;
    OwnMessageScope& operator=(const OwnMessageScope&) = delete;
    void markOwn(bool own);

private:
    ProgramState& program_;
    bool own_ = false;
};

// Writes a message that is not sent to the log file: a log event as its Type and
// Data, any other message as `reason` and its class.
void logHeldBack(ProgramState& program, std::string_view reason, std::string_view cls, std::string_view data);

// True while the program's node handles its own message.
bool handlingOwnMessage(const ProgramState& program);

class LogEventLimiter {
public:
    static constexpr double kPerSecond = 10;
    static constexpr double kBurst = 20;
    static constexpr int kSummaryDelayMs = 1000;

    // Sends a message without the limiter (the summary goes out through it).
    using Sender = std::function<void(const std::string& data)>;

    // Held-back events go to `program`'s log file.
    explicit LogEventLimiter(ProgramState& program);
    ~LogEventLimiter();
    LogEventLimiter(const LogEventLimiter&) = delete;
    LogEventLimiter& operator=(const LogEventLimiter&) = delete;

    // Whether a log event with the item list `data` may go on the wire now; when not,
    // it is written to the log file and counted.
    bool admit(const std::string& data);
    // Sends the count of held-back events when there is one and a token for it.
    void sendSummary();

    void setSender(Sender sender) { sender_ = std::move(sender); }
    bool hasSender() const { return bool(sender_); }
    // For tests: the time source, and whether a timer sends the summary (default on).
    void setClock(std::function<TokenBucket::Clock::time_point()> clock) { clock_ = std::move(clock); }
    void setTimerEnabled(bool enabled) { timerEnabled_ = enabled; }
    void reset();
    std::uint64_t suppressed() const { return suppressed_; }

    static std::string summaryText(std::uint64_t suppressed);

private:
    void armSummary();

    ProgramState& program_;
    TokenBucket bucket_{kPerSecond, kBurst};
    std::uint64_t suppressed_ = 0;
    Sender sender_;
    std::function<TokenBucket::Clock::time_point()> clock_ = [] { return TokenBucket::Clock::now(); };
    bool timerEnabled_ = true;
    // Sends the summary a while after events were held back; made when first needed.
    std::unique_ptr<platform::Timer> summaryTimer_;
};

// The program's one limiter.
LogEventLimiter& logEventLimiter(ProgramState& program);

} // namespace xap
