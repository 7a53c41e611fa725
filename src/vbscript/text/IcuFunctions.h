// The ICU C functions the locales beyond the built-in table use, found in Debian's
// libicu the first time a script asks for such a locale. ICU is loaded then rather
// than when the program starts: most scripts never leave the built-in table, and
// loading and relocating ICU was a third of an empty script's start-up and memory.
#pragma once

#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/unum.h>

namespace vbscript {

struct IcuFunctions {
    decltype(&::uloc_getLocaleForLCID) getLocaleForLcid;
    decltype(&::uloc_getLCID) getLcid;
    decltype(&::uloc_toLanguageTag) toLanguageTag;
    decltype(&::uloc_forLanguageTag) forLanguageTag;
    decltype(&::unum_open) numberOpen;
    decltype(&::unum_close) numberClose;
    decltype(&::unum_getSymbol) numberSymbol;
    decltype(&::unum_toPattern) numberPattern;
    decltype(&::udat_open) dateOpen;
    decltype(&::udat_close) dateClose;
    decltype(&::udat_getSymbols) dateSymbols;
    decltype(&::udat_toPattern) datePattern;
};

// The functions, loaded once (thread-safe); null when ICU (the version the program
// was built with) cannot be loaded, and then only the built-in locales are known.
const IcuFunctions* icuFunctions();

} // namespace vbscript
