#include "Arguments.h"

#include "automation/AsciiScan.h"
#include "vbscript/base/Limits.h"

#include "automation/Conversions.h"
#include "automation/Error.h"

namespace vbscript::builtins {

vb::Variant valueArg(vb::Args args, std::size_t i)
{
    if (!given(args, i))
        vb::raiseError(vb::err::ArgumentNotOptional);
    return vb::defaultValue(args[i]);
}

TextArg::TextArg(vb::Args args, std::size_t i)
{
    if (!given(args, i))
        vb::raiseError(vb::err::ArgumentNotOptional);
    const vb::Variant& v = args[i];
    if (v.isString()) {
        view_ = v.stringValue();
        source_ = &v;
        return;
    }
    const vb::Variant value = vb::defaultValue(v);
    if (value.isNull()) {
        null_ = true;
        return;
    }
    owned_ = vb::CStr(value);
    view_ = owned_;
}

std::string_view TextArg::view() const
{
    if (null_)
        vb::raiseError(vb::err::InvalidUseOfNull);
    return view_;
}

bool TextArg::ascii() const
{
    return source_ ? source_->stringIsAscii() : vb::isAsciiText(view_);
}

std::string stringArg(vb::Args args, std::size_t i)
{
    return vb::CStr(valueArg(args, i));
}

std::int32_t longArg(vb::Args args, std::size_t i)
{
    return vb::CLng(valueArg(args, i));
}

double doubleArg(vb::Args args, std::size_t i)
{
    return vb::CDbl(valueArg(args, i));
}

std::string stringArg(vb::Args args, std::size_t i, std::string fallback)
{
    return given(args, i) ? stringArg(args, i) : std::move(fallback);
}

std::int32_t longArg(vb::Args args, std::size_t i, std::int32_t fallback)
{
    return given(args, i) ? longArg(args, i) : fallback;
}

std::int32_t countArg(vb::Args args, std::size_t i)
{
    const std::int32_t n = longArg(args, i);
    if (n < 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return n;
}

SearchStart searchStartArg(vb::Args args)
{
    if (args.size() < 3)
        return {1, 0};
    const std::int32_t start = longArg(args, 0);
    if (start < 1)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return {start, 1};
}

bool boolArg(vb::Args args, std::size_t i, bool fallback)
{
    return given(args, i) ? vb::CBool(valueArg(args, i)) : fallback;
}

vb::CompareMode compareArg(vb::Args args, std::size_t i)
{
    if (!given(args, i))
        return vb::CompareMode::Binary;
    switch (longArg(args, i)) {
    case 0: return vb::CompareMode::Binary;
    case 1:
    case 2: return vb::CompareMode::Text;
    default: vb::raiseError(vb::err::InvalidProcedureCall);
    }
}

bool tristateArg(vb::Args args, std::size_t i, bool fallback)
{
    if (!given(args, i))
        return fallback;
    const std::int32_t v = longArg(args, i);
    if (v == -2)
        return fallback;
    return v != 0;
}

int firstDayOfWeekArg(vb::Args args, std::size_t i)
{
    if (!given(args, i))
        return 1;
    const std::int32_t v = longArg(args, i);
    if (v < 0 || v > 7)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return v == 0 ? 1 : v;
}

void checkStringSize(double bytes)
{
    if (bytes > limits::kMaxStringBytes)
        vb::raiseError(vb::err::OutOfStringSpace);
}

} // namespace vbscript::builtins
