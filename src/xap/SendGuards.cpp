#include "SendGuards.h"

#include "ProgramState.h"
#include "Logging.h"
#include "Outgoing.h"

#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/Timer.h"

namespace xap {

namespace {

std::string_view beforeColon(std::string_view text)
{
    return text.substr(0, text.find(':'));
}

// The value of item `key` in an item list ("" when absent).
std::string_view itemValue(std::string_view data, std::string_view key)
{
    std::size_t start = 0;
    while (start <= data.size()) {
        std::size_t end = data.find('\0', start);
        if (end == std::string_view::npos)
            end = data.size();
        const std::string_view item = data.substr(start, end - start);
        const std::size_t split = item.find('\1');
        if (split != std::string_view::npos && item.substr(0, split) == key)
            return item.substr(split + 1);
        start = end + 1;
    }
    return {};
}

} // namespace

bool isOwnMessage(const ProgramState& program, std::string_view source, std::string_view uid)
{
    if (program.xapSource.empty() || program.xapUID.empty())
        return false;
    return vb::equalsIgnoreCase(beforeColon(source), beforeColon(program.xapSource)) &&
        vb::equalsIgnoreCase(beforeColon(uid), beforeColon(program.xapUID));
}

void OwnMessageScope::markOwn(bool own)
{
    if (own && !own_)
        ++program_.ownMessageDepth;
    else if (!own && own_)
        --program_.ownMessageDepth;
    own_ = own;
}

OwnMessageScope::~OwnMessageScope()
{
    if (own_)
        --program_.ownMessageDepth;
}

bool handlingOwnMessage(const ProgramState& program)
{
    return program.ownMessageDepth > 0;
}

void logHeldBack(ProgramState& program, std::string_view reason, std::string_view cls, std::string_view data)
{
    if (vb::equalsIgnoreCase(cls, "Homeseer.Event"))
        WriteLogFile(program, itemValue(data, "Type"), itemValue(data, "Data"));
    else
        WriteLogFile(program, kProgramName, std::string(reason) + ": " + std::string(cls));
}

LogEventLimiter::LogEventLimiter(ProgramState& program)
    : program_(program)
{
}

LogEventLimiter::~LogEventLimiter() = default;

std::string LogEventLimiter::summaryText(std::uint64_t suppressed)
{
    return std::to_string(suppressed) + " further log events suppressed";
}

void LogEventLimiter::reset()
{
    bucket_ = TokenBucket{kPerSecond, kBurst};
    suppressed_ = 0;
}

bool LogEventLimiter::admit(const std::string& data)
{
    sendSummary();
    if (suppressed_ == 0 && bucket_.take(clock_()))
        return true;
    // Held back: the log file keeps it.
    ++suppressed_;
    logHeldBack(program_, "", "Homeseer.Event", data);
    armSummary();
    return false;
}

void LogEventLimiter::sendSummary()
{
    if (suppressed_ == 0 || !bucket_.take(clock_()))
        return;
    const std::uint64_t n = suppressed_;
    suppressed_ = 0;
    if (sender_)
        sender_(itemList({{"Time", vb::formatGeneralDate(vb::now())}, {"Type", kProgramName}, {"Data", summaryText(n)}}));
}

void LogEventLimiter::armSummary()
{
    if (!timerEnabled_)
        return;
    if (!summaryTimer_) {
        summaryTimer_ = std::make_unique<platform::Timer>([this] {
            sendSummary();
            if (suppressed_ == 0)
                summaryTimer_->setEnabled(false);
        });
    }
    if (!summaryTimer_->running()) {
        summaryTimer_->setInterval(kSummaryDelayMs);
        summaryTimer_->setEnabled(true);
    }
}

LogEventLimiter& logEventLimiter(ProgramState& program)
{
    return program.logEvents;
}

} // namespace xap
