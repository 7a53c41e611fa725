// Locales beyond the built-in table, from the CLDR data that ICU carries (Debian's
// libicu): Windows locale identifiers and tags, number separators, the currency sign
// and where it goes, the order and separator of short dates, 12- or 24-hour time, and
// the names of months and days.
#pragma once

#include "Locale.h"

#include <cstdint>
#include <string_view>

namespace vbscript {

// The locale of a Windows locale identifier (1041, 3079 ...); null when ICU knows no
// such identifier. Each is built once and kept for the program's life.
const Locale* cldrLocale(std::int32_t lcid);
// The identifier of a tag ("ja-JP", "de-ch"); 0 when ICU knows none.
std::int32_t cldrLocaleId(std::string_view tag);

} // namespace vbscript
