// The text of a script file as the engine reads it.
#pragma once

#include <string>

namespace vbscript {

// A script file's bytes as engine text: a UTF-16 file with a byte-order mark (as
// Windows' script host accepts) becomes UTF-8, a UTF-8 byte-order mark is dropped,
// anything else (8-bit text) stays as it is.
std::string scriptTextFromFile(std::string bytes);

} // namespace vbscript
