// The text of a script file as the engine reads it.
#pragma once

#include <string>

namespace vbscript {

// A script file's bytes as engine text: a UTF-16 file with a byte-order mark (as
// Windows' script host accepts) becomes UTF-8 unit by unit (a surrogate pair stays two
// units, see automation/Utf16Text.h), a UTF-8 byte-order mark is dropped,
// anything else (8-bit text) stays as it is.
std::string scriptTextFromFile(std::string bytes);

} // namespace vbscript
