// Reading the arguments of a library function the way VBScript does.
//
// An argument may be omitted (not passed, or passed as the missing marker); an object
// stands for the value of its default member; Null is either passed on (the function
// returns Null) or refused with 94 "Invalid use of Null", as each function documents.
#pragma once

#include "automation/Object.h"
#include "automation/TextCompare.h"
#include "automation/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vbscript::builtins {

// True when argument i was given.
inline bool given(vb::Args args, std::size_t i)
{
    return !args.isMissing(i);
}

// The argument as a value: objects are replaced by their default member's value.
// A required argument that is missing raises 449 "Argument not optional".
vb::Variant valueArg(vb::Args args, std::size_t i);

// A text argument without copying it when it already is a String. Null is kept (the
// caller decides whether it passes Null on or refuses it); other values are converted
// with CStr.
class TextArg {
public:
    TextArg(vb::Args args, std::size_t i);
    TextArg(const TextArg&) = delete;
    TextArg& operator=(const TextArg&) = delete;

    bool isNull() const { return null_; }
    // Raises 94 for Null.
    std::string_view view() const;
    // True when the text is all ASCII: a String argument remembers the answer (see
    // vb::Variant::stringIsAscii), so asking again for the same variable costs nothing.
    bool ascii() const;
    // True when the text is already known to be all ASCII (no scan).
    bool knownAscii() const { return source_ && source_->stringKnownAscii(); }

private:
    std::string owned_;
    std::string_view view_;
    const vb::Variant* source_ = nullptr; // the String argument itself, when it is one
    bool null_ = false;
};

// Typed readers; Null raises 94, text that is not a number 13, out of range 6.
std::string stringArg(vb::Args args, std::size_t i);
std::int32_t longArg(vb::Args args, std::size_t i);
double doubleArg(vb::Args args, std::size_t i);

// A length or position argument: Null raises 94, a negative value 5.
std::int32_t countArg(vb::Args args, std::size_t i);

// InStr([start, ]string1, string2, ...): the start (1 when omitted; below 1 raises 5)
// and the index of string1.
struct SearchStart {
    std::int32_t start;
    std::size_t first;
};
SearchStart searchStartArg(vb::Args args);

// Optional variants: the default when the argument is omitted.
std::string stringArg(vb::Args args, std::size_t i, std::string fallback);
std::int32_t longArg(vb::Args args, std::size_t i, std::int32_t fallback);
bool boolArg(vb::Args args, std::size_t i, bool fallback);

// The compare argument of InStr, Split, Replace, StrComp, Filter: vbBinaryCompare (0)
// when omitted, vbTextCompare (1); vbDatabaseCompare (2) compares as text. Other
// values raise 5.
vb::CompareMode compareArg(vb::Args args, std::size_t i);

// A Tristate argument (vbTrue -1, vbFalse 0, vbUseDefault -2): the default when
// omitted or vbUseDefault.
bool tristateArg(vb::Args args, std::size_t i, bool fallback);

// The firstdayofweek argument: 1 (Sunday) ... 7; 0 (vbUseSystemDayOfWeek) and an
// omitted argument give Sunday, as the en-US system setting does. Others raise 5.
int firstDayOfWeekArg(vb::Args args, std::size_t i);

// Raises 14 "Out of string space" for a result beyond what a script string may hold.
void checkStringSize(double bytes);

} // namespace vbscript::builtins
