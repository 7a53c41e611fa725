// Fuzz target ini_store: what the INI store loads it saves so that loading it again
// gives the same store, and a second save writes the same bytes.
//
// Input: a first byte that chooses the form, then
//   even: the bytes of an INI file;
//   odd:  WriteKey calls, each as section, key and value separated by 0x1F, the
//         calls separated by 0x1E. What WriteKey stored must read back after a save
//         and a load, for names and values a line can carry.
#include "ini/IniState.h"
#include "ini/IniTool.h"

#include "automation/TextCompare.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using fuzz_support::readAll;
using vb::splitAt;

void check(bool condition, const std::string& what)
{
    fuzz_support::check(condition, "ini_store", what);
}

const std::string& folder()
{
    static const std::string path = fuzz_support::makeFolder("ini");
    return path;
}

std::string withoutLineBreaks(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

// A name and value that one INI line gives back as they are: a key that a trimmed line
// does not shorten and that does not read as a comment, a section or an "=" split, and
// a value without a trailing blank.
bool lineCarries(const std::string& key, const std::string& value)
{
    if (!key.empty() && (key.front() == ' ' || key.front() == ';' || key.front() == '['))
        return false;
    if (key.find('=') != std::string::npos)
        return false;
    if (!value.empty() && value.back() == ' ')
        return false;
    return !(key.empty() && value.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    services::IniState iniState; // reports nothing; counts this input's failed saves
    if (size == 0)
        return 0;
    const std::string path = folder() + "/fuzz.ini";
    std::remove(path.c_str());
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    services::IniTool first(iniState);
    struct Written {
        std::string header, key, value;
    };
    std::vector<Written> written;
    std::vector<Written> given; // the same calls' arguments as they were given
    if (data[0] % 2 == 0) {
        std::ofstream(path, std::ios::binary) << input;
        first.Load(path);
    } else {
        first.Load(path);
        for (const std::string& call : splitAt(input, '\x1e')) {
            const std::vector<std::string> parts = splitAt(call, '\x1f');
            if (parts.size() != 3)
                continue;
            first.WriteKey(parts[0], parts[1], parts[2]);
            written.push_back({withoutLineBreaks(parts[0]), withoutLineBreaks(parts[1]), withoutLineBreaks(parts[2])});
            given.push_back({parts[0], parts[1], parts[2]});
        }
    }
    // In the same run, a value reads back with the very arguments it was written with.
    for (std::size_t i = 0; i < given.size(); ++i) {
        bool later = false;
        for (std::size_t j = i + 1; j < written.size() && !later; ++j)
            later = vb::upperCase(written[j].header) == vb::upperCase(written[i].header) &&
                    vb::upperCase(written[j].key) == vb::upperCase(written[i].key);
        if (later)
            continue;
        const std::string expected = written[i].value.empty() ? "\x01" : written[i].value;
        check(first.Read(given[i].header, given[i].key, "\x01") == expected, "a written key did not read back in the same run");
    }
    first.Save();
    std::string once = readAll(path);
    // Names a line cannot carry (a key with "=" or a leading blank) change once, on the
    // first reload; from then on the file must be stable.
    bool carried = true;
    for (const Written& w : written)
        carried = carried && lineCarries(w.key, w.value.empty() ? "x" : w.value);
    if (!carried) {
        services::IniTool settle(iniState);
        settle.Load(path);
        settle.Save();
        once = readAll(path);
        first.Load(path);
        written.clear();
    }

    services::IniTool second(iniState);
    second.Load(path);
    // Every key of the first store reads the same from the second.
    std::vector<std::string> headers = first.Headers();
    headers.emplace_back();
    for (const std::string& header : headers) {
        for (const std::string& key : first.Keys(header)) {
            const std::string value = first.Read(header, key, "");
            if (key.empty() || !lineCarries(key, value))
                continue;
            check(second.Read(header, key, "\x01") == first.Read(header, key, "\x01"), "a key changed across a save");
        }
    }
    // The last write of each name is what reads back, where a line can carry it.
    for (std::size_t i = 0; i < written.size(); ++i) {
        const Written& w = written[i];
        bool later = false;
        for (std::size_t j = i + 1; j < written.size() && !later; ++j)
            later = vb::upperCase(written[j].header) == vb::upperCase(w.header) && vb::upperCase(written[j].key) == vb::upperCase(w.key);
        if (later || !lineCarries(w.key, w.value))
            continue;
        const std::string expected = w.value.empty() ? "\x01" : w.value;
        check(second.Read(w.header, w.key, "\x01") == expected, "a written key did not read back");
    }
    second.Save();
    check(readAll(path) == once, "a second save wrote other bytes");
    return 0;
}
