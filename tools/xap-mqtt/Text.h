// How the bridge reads text: the shared ASCII helpers, with blanks, tabs and carriage
// returns dropped at both ends of everything it trims.
#pragma once

#include "base/AsciiText.h"

#include <string_view>

namespace xapmqtt {

using ascii::lower;

inline std::string_view trim(std::string_view s)
{
    return ascii::trim(s, ascii::kBlanksAndCr);
}

} // namespace xapmqtt
