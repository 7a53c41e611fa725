// Small helpers the fuzz targets share: a scratch folder, whole-file reads and a check
// that ends the run with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_support {

// A new folder under /tmp named after the target (the process keeps it).
inline std::string makeFolder(const std::string& target)
{
    std::string pattern = "/tmp/tallis-fuzz-" + target + "-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

inline std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void check(bool condition, const char* target, const std::string& what)
{
    if (!condition) {
        std::fprintf(stderr, "%s: %s\n", target, what.c_str());
        std::abort();
    }
}

} // namespace fuzz_support
