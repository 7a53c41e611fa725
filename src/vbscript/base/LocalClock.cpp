#include "LocalClock.h"

#include "automation/DateTime.h"

#include <ctime>

namespace vbscript::builtins {

namespace {

std::tm localParts(std::time_t t)
{
    // The program runs its scripts on one thread, so the shared buffer is safe here.
    const std::tm* parts = std::localtime(&t);
    return parts ? *parts : std::tm{};
}

} // namespace

double secondsSinceMidnight()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const std::tm parts = localParts(t);
    const auto fraction = std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(t)).count();
    return parts.tm_hour * 3600.0 + parts.tm_min * 60.0 + parts.tm_sec + fraction;
}

vb::Date localDate(std::chrono::system_clock::time_point moment)
{
    const std::tm parts = localParts(std::chrono::system_clock::to_time_t(moment));
    const vb::Date day = vb::dateSerial(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
    return vb::makeDate(day.serial, vb::timeSerial(parts.tm_hour, parts.tm_min, parts.tm_sec));
}

} // namespace vbscript::builtins
