// Stable endpoint numbers: which device code carries which BSC endpoint number (01 to
// FE, the part after the colon of its sub-UID), kept in a small file so that a device
// keeps its number across restarts.
//
// The file (Config/vynBSC.ini) is an INI file the program writes:
//     [Endpoints]
//     01=A1
//     02=B2;1765200000
// the number, the device code (upper-cased) and, for a device that has gone, when it
// went (seconds since 1970). A gone device's number is not given to another device for
// a day; the device gets it back if it returns meanwhile.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bsc {

class EndpointTable {
public:
    using Clock = std::function<std::int64_t()>; // seconds since 1970
    static constexpr std::int64_t kReuseAfterSeconds = 24 * 60 * 60;
    static constexpr const char* kFileName = "vynBSC.ini";

    explicit EndpointTable(std::string path, Clock now = {});

    // Reads the file. A missing file is an empty table; a file that cannot be read, or
    // lines it cannot use, give a text saying so (the table keeps what it could read).
    std::string load();
    // Writes the file atomically; "" or the reason it could not.
    std::string save() const;

    struct Update {
        bool changed = false;                // numbers given or taken back: save
        std::vector<std::string> unnumbered; // codes that found no free number
    };
    // Brings the table in line with the codes of the devices now present (upper-cased,
    // each once, in list order): present codes keep their numbers, gone ones are marked
    // with the time, new ones get the lowest free number.
    Update update(const std::vector<std::string>& codes);

    std::optional<int> numberOf(std::string_view code) const;
    std::size_t size() const { return entries_.size(); }
    const std::string& path() const { return path_; }

private:
    struct Entry {
        std::string code;
        std::int64_t goneSince = 0; // 0 while the device is present
    };
    std::int64_t now() const;

    std::string path_;
    Clock now_;
    std::map<int, Entry> entries_; // by number
};

} // namespace bsc
