#include "IcuFunctions.h"

#include "platform/SharedLibrary.h"

#include <unicode/uvernum.h>

#include <string>

// The names as they stand in the library: ICU renames every C function with its
// major version (unum_open is unum_open_72), which the headers' macros apply here.
#define TALLIS_ICU_TEXT2(x) #x
#define TALLIS_ICU_TEXT(x) TALLIS_ICU_TEXT2(x)

namespace vbscript {

namespace {

template <typename F>
bool find(const platform::SharedLibrary& library, F& function, const char* name)
{
    function = reinterpret_cast<F>(library.symbol(name));
    return function != nullptr;
}

const IcuFunctions* load()
{
    std::string error;
    // libicui18n brings libicuuc (the uloc_ functions) with it. It stays loaded, held
    // here, for the program's life.
    static const platform::SharedLibrary* const library =
        platform::SharedLibrary::open("libicui18n.so." TALLIS_ICU_TEXT(U_ICU_VERSION_MAJOR_NUM), error);
    if (!library)
        return nullptr;
    static IcuFunctions f{};
    const bool all = find(*library, f.getLocaleForLcid, TALLIS_ICU_TEXT(uloc_getLocaleForLCID))
                     && find(*library, f.getLcid, TALLIS_ICU_TEXT(uloc_getLCID))
                     && find(*library, f.toLanguageTag, TALLIS_ICU_TEXT(uloc_toLanguageTag))
                     && find(*library, f.forLanguageTag, TALLIS_ICU_TEXT(uloc_forLanguageTag))
                     && find(*library, f.numberOpen, TALLIS_ICU_TEXT(unum_open))
                     && find(*library, f.numberClose, TALLIS_ICU_TEXT(unum_close))
                     && find(*library, f.numberSymbol, TALLIS_ICU_TEXT(unum_getSymbol))
                     && find(*library, f.numberPattern, TALLIS_ICU_TEXT(unum_toPattern))
                     && find(*library, f.dateOpen, TALLIS_ICU_TEXT(udat_open))
                     && find(*library, f.dateClose, TALLIS_ICU_TEXT(udat_close))
                     && find(*library, f.dateSymbols, TALLIS_ICU_TEXT(udat_getSymbols))
                     && find(*library, f.datePattern, TALLIS_ICU_TEXT(udat_toPattern));
    return all ? &f : nullptr;
}

} // namespace

const IcuFunctions* icuFunctions()
{
    static const IcuFunctions* const functions = load();
    return functions;
}

} // namespace vbscript
