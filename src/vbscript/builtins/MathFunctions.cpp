// Math functions: Sqr, Sin, Cos, Tan, Atn, Exp, Log, Rnd, Randomize and RGB.
#include "Arguments.h"
#include "Families.h"
#include "vbscript/base/LocalClock.h"

#include "automation/Error.h"

#include <array>
#include <cmath>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

double finite(double d)
{
    if (!std::isfinite(d))
        vb::raiseError(vb::err::Overflow);
    return d;
}

template <double (*F)(double)>
Variant unary(BuiltinContext&, Args args)
{
    return finite(F(doubleArg(args, 0)));
}

Variant Sqr(BuiltinContext&, Args args)
{
    const double d = doubleArg(args, 0);
    if (d < 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return std::sqrt(d);
}

Variant Log(BuiltinContext&, Args args)
{
    const double d = doubleArg(args, 0);
    if (d <= 0)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return std::log(d);
}

// Rnd([number]): below zero the same number every time for the same argument, zero the
// number last returned, otherwise the next number of the sequence. Each engine has its
// own sequence.
Variant Rnd(BuiltinContext& context, Args args)
{
    RandomSequence& g = context.library().random();
    if (!given(args, 0))
        return g.next();
    const double d = doubleArg(args, 0);
    if (d == 0)
        return g.current();
    if (d < 0)
        g.reseedFrom(static_cast<float>(d));
    return g.next();
}

// Randomize [number]: without a number the seed comes from the system timer.
Variant Randomize(BuiltinContext& context, Args args)
{
    context.library().random().randomize(given(args, 0) ? doubleArg(args, 0) : secondsSinceMidnight());
    return Variant();
}

// RGB(red, green, blue): components above 255 count as 255.
Variant RGB(BuiltinContext&, Args args)
{
    std::int32_t value = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        std::int32_t c = longArg(args, i);
        if (c < 0)
            vb::raiseError(vb::err::InvalidProcedureCall);
        if (c > 255)
            c = 255;
        value |= c << (8 * i);
    }
    return value;
}

double sine(double d) { return std::sin(d); }
double cosine(double d) { return std::cos(d); }
double tangent(double d) { return std::tan(d); }
double arcTangent(double d) { return std::atan(d); }
double exponential(double d) { return std::exp(d); }

constexpr std::array kFunctions = {
    BuiltinFunction{"Atn", 1, 1, &unary<&arcTangent>},
    BuiltinFunction{"Cos", 1, 1, &unary<&cosine>},
    BuiltinFunction{"Exp", 1, 1, &unary<&exponential>},
    BuiltinFunction{"Log", 1, 1, &Log},
    BuiltinFunction{"Randomize", 0, 1, &Randomize},
    BuiltinFunction{"RGB", 3, 3, &RGB},
    BuiltinFunction{"Rnd", 0, 1, &Rnd},
    BuiltinFunction{"Sin", 1, 1, &unary<&sine>},
    BuiltinFunction{"Sqr", 1, 1, &Sqr},
    BuiltinFunction{"Tan", 1, 1, &unary<&tangent>},
};

} // namespace

std::span<const BuiltinFunction> mathFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
