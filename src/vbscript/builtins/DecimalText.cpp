#include "DecimalText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vbscript::builtins {

std::string DecimalDigits::integerDigits() const
{
    if (exponent <= 0)
        return {};
    std::string out = digits.substr(0, static_cast<std::size_t>(exponent));
    out.append(static_cast<std::size_t>(exponent) - out.size(), '0');
    return out;
}

std::string DecimalDigits::fractionDigits(int count) const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const int index = exponent + k;
        out += index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(index)] : '0';
    }
    return out;
}

DecimalDigits toDecimal(double value)
{
    DecimalDigits d;
    d.negative = std::signbit(value);
    if (value == 0.0 || !std::isfinite(value))
        return d;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: "d.dddddddddddddde+XX"
    std::string mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
        if (*p != '.')
            mantissa += *p;
    }
    const int exp10 = *p == 'e' ? std::atoi(p + 1) : 0;
    while (!mantissa.empty() && mantissa.back() == '0')
        mantissa.pop_back();
    d.digits = mantissa;
    d.exponent = exp10 + 1;
    return d;
}

void roundDigits(DecimalDigits& d, int decimals, Rounding rounding)
{
    const int keep = d.exponent + decimals;
    if (d.isZero() || keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const auto k = static_cast<std::size_t>(keep);
    const char next = d.digits[k];
    bool up;
    if (rounding == Rounding::HalfAwayFromZero) {
        up = next >= '5';
    } else {
        const bool moreAfter = d.digits.find_first_not_of('0', k + 1) != std::string::npos;
        const bool previousOdd = k > 0 && (d.digits[k - 1] - '0') % 2 == 1;
        up = next > '5' || (next == '5' && (moreAfter || previousOdd));
    }
    d.digits.resize(k);
    if (up) {
        std::size_t i = k;
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[i - 1] = '0';
            --i;
        }
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

double toDouble(const DecimalDigits& d)
{
    if (d.isZero())
        return 0.0;
    const std::string text = "0." + d.digits + "e" + std::to_string(d.exponent);
    const double v = std::strtod(text.c_str(), nullptr);
    return d.negative ? -v : v;
}

double roundDecimal(double value, int decimals)
{
    if (value == 0.0 || !std::isfinite(value))
        return value;
    // From 1E+15 on a double has no digits after the point worth reading.
    if (std::fabs(value) >= 1e15)
        return decimals == 0 ? std::nearbyint(value) : value;
    DecimalDigits d = toDecimal(value);
    roundDigits(d, decimals, Rounding::HalfEven);
    return toDouble(d);
}

} // namespace vbscript::builtins
