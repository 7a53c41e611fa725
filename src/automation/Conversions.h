// VB's conversion functions and number/text helpers, with VB's results and errors.
//
// Conversions to whole numbers round halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4) and raise 6 "Overflow" outside the target range. Null raises 94
// "Invalid use of Null"; text that is not a number raises 13 "Type mismatch"; an
// object is converted through its default member.
#pragma once

#include "Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vb {

std::int16_t CInt(const Variant& v);
std::int32_t CLng(const Variant& v);
std::uint8_t CByte(const Variant& v);
double CDbl(const Variant& v);
float CSng(const Variant& v);
Currency CCur(const Variant& v);
bool CBool(const Variant& v);
std::string CStr(const Variant& v);
Date CDate(const Variant& v);

// The value of an object's default member, or the Variant itself when it is not an
// object (raises 438 for an object without one, 91 for Nothing).
Variant defaultValue(const Variant& v);

// VB's text of numbers: 15 significant digits for Double, 7 for Single, scientific
// notation with a signed two-digit exponent outside 1E-04 .. 1E+15 ("1E+20", "-1.5E-07").
std::string formatDouble(double d);
std::string formatSingle(float f);
std::string formatCurrency(Currency c);

// Rounds to the nearest integer, halves to the even neighbour.
double roundHalfEven(double d);

// Reads a whole text as a number the way VB's conversions do: blanks around it, a sign,
// digits with thousands separators, a decimal point, an exponent, or &H / &O forms.
// Returns nothing when the text is not a number.
std::optional<double> parseNumber(std::string_view text);

// Val: the lenient reader. Blanks, tabs and line feeds are skipped anywhere; reading
// stops at the first character that cannot continue the number; &H and &O read hex
// and octal; no digits give 0.
double Val(std::string_view text);

// IsNumeric: True for numbers, Empty, and text that parseNumber reads.
bool IsNumeric(const Variant& v);
// IsDate: True for dates and text that parseDate reads.
bool IsDate(const Variant& v);

// Numeric value of a Variant as a double, following CDbl (used by the whole-number conversions).
double toDouble(const Variant& v);

} // namespace vb
