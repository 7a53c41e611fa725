// Numbers as decimal digits, for rounding at a decimal place the way a reader sees
// the number (Round(2.675, 2) works on 2.675, not on the nearest binary double).
#pragma once

#include <string>

namespace vbscript::builtins {

// value = 0.d1 d2 d3 ... x 10^exponent; no leading or trailing zero digits, and no
// digits at all for zero.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool isZero() const { return digits.empty(); }
    // The digits before the decimal point ("" when the number is below 1).
    std::string integerDigits() const;
    // The first `count` digits after the decimal point, padded with zeros.
    std::string fractionDigits(int count) const;
};

enum class Rounding { HalfEven, HalfAwayFromZero };

// The 15 significant digits of a double, as VBScript shows numbers.
DecimalDigits toDecimal(double value);
// Rounds to `decimals` places after the point (decimals >= 0).
void roundDigits(DecimalDigits& number, int decimals, Rounding rounding);
double toDouble(const DecimalDigits& number);

// Round(value, decimals) with halves to the even digit, on the 15 significant digits
// of the value (so Round(0.1 + 0.2, 2) is exactly 0.3).
double roundDecimal(double value, int decimals);

} // namespace vbscript::builtins
