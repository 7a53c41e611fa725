// The local wall clock, for Timer, Randomize and file dates.
#pragma once

#include "automation/Variant.h"

#include <chrono>

namespace vbscript::builtins {

// Seconds since local midnight, with the fraction of the current second.
double secondsSinceMidnight();

// A moment as a local OLE date (to the second).
vb::Date localDate(std::chrono::system_clock::time_point moment);

} // namespace vbscript::builtins
