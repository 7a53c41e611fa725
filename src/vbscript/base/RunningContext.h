// The running script as library code sees it: the engine that runs a script on this
// thread publishes itself here, so that code without a context of its own (the RegExp
// object, locale-dependent conversions) can read the script's locale and honour its
// time-out during long work.
#pragma once

#include "LibraryState.h"

#include <cstdint>

namespace vbscript {

// What the run-time library may ask of the engine that runs the script.
class BuiltinContext {
public:
    virtual ~BuiltinContext() = default;
    // True when the script may show message and input boxes (the host allows user interface).
    virtual bool userInterfaceAllowed() const = 0;
    // Locale identifier for GetLocale/SetLocale (1033, en-US, by default).
    virtual std::int32_t localeId() const { return 1033; }
    virtual void setLocaleId(std::int32_t) { }
    // Called now and then by library work that may run long; raises the time-out of
    // the running script when it is due.
    virtual void checkLongWork() { }
    // What the library keeps for this engine (the host's classes, the boxes, Rnd).
    virtual LibraryState& library() = 0;
};

// The context of the script running on this thread, for library code that has none
// of its own (the RegExp object). Set by the engine while a script runs.
BuiltinContext* runningContext();
void setRunningContext(BuiltinContext* context);
// Long library work calls this every so many steps (cheap: it counts, and asks the
// running context only every few thousand calls).
void pollLongWork();
// The same without counting, for work done in large slices.
void checkLongWorkNow();

} // namespace vbscript
