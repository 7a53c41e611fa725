#include "EndpointTable.h"

#include "Schema.h"

#include "automation/Error.h"
#include "base/AsciiText.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <chrono>
#include <set>
#include <unordered_map>

namespace bsc {

EndpointTable::EndpointTable(std::string path, Clock now) : path_(std::move(path)), now_(std::move(now)) { }

std::int64_t EndpointTable::now() const
{
    if (now_)
        return now_();
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string EndpointTable::load()
{
    entries_.clear();
    std::optional<std::string> text;
    try {
        text = platform::readFileIfExists(platform::resolvePath(path_));
    } catch (const vb::Error& e) {
        return path_ + " cannot be read (" + e.description() + "): endpoint numbers start afresh";
    }
    if (!text)
        return {};
    int unusable = 0;
    bool inSection = false;
    std::set<std::string> codes;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        const std::string_view line = ascii::trimLine(std::string_view(*text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            inSection = ascii::equalsIgnoreCase(line, "[endpoints]");
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t eq = line.find('=');
        const std::optional<int> number = eq == std::string_view::npos ? std::nullopt : parseEndpointNumber(ascii::trimLine(line.substr(0, eq)));
        std::string_view value = eq == std::string_view::npos ? std::string_view() : ascii::trimLine(line.substr(eq + 1));
        const std::size_t semicolon = value.find(';');
        Entry entry;
        entry.code = std::string(ascii::trimLine(value.substr(0, semicolon)));
        bool good = number && isSubAddressText(entry.code) && !entries_.count(*number) && !codes.count(entry.code);
        if (good && semicolon != std::string_view::npos) {
            std::string_view when = ascii::trimLine(value.substr(semicolon + 1));
            // Decimal digits after an optional "+", nothing after them, in range.
            if (when.size() > 1 && when.front() == '+')
                when.remove_prefix(1);
            const auto [end, error] = std::from_chars(when.data(), when.data() + when.size(), entry.goneSince);
            good = error == std::errc() && end == when.data() + when.size() && entry.goneSince > 0;
        }
        if (!good) {
            ++unusable;
            continue;
        }
        codes.insert(entry.code);
        entries_.emplace(*number, std::move(entry));
    }
    if (unusable)
        return path_ + ": " + std::to_string(unusable) + " line(s) of [Endpoints] not understood and left out";
    return {};
}

std::string EndpointTable::save() const
{
    std::string text = "; Endpoint numbers of the xAP BSC endpoints, written by Tallis: number=device code, and for a\r\n"
                       "; device that has gone, the time it went (seconds since 1970).\r\n[Endpoints]\r\n";
    for (const auto& [number, entry] : entries_) {
        text += endpointNumberText(number) + "=" + entry.code;
        if (entry.goneSince)
            text += ";" + std::to_string(entry.goneSince);
        text += "\r\n";
    }
    try {
        platform::writeFileAtomically(platform::resolvePath(path_), text);
    } catch (const vb::Error& e) {
        return path_ + " cannot be written (" + e.description() + ")";
    }
    return {};
}

EndpointTable::Update EndpointTable::update(const std::vector<std::string>& codes)
{
    Update update;
    const std::int64_t t = now();
    std::unordered_map<std::string, int> numbered;
    for (const auto& [number, entry] : entries_)
        numbered.emplace(entry.code, number);
    std::set<std::string> present(codes.begin(), codes.end());

    // Gone devices are marked; marks older than a day free their numbers.
    for (auto it = entries_.begin(); it != entries_.end();) {
        Entry& entry = it->second;
        if (present.count(entry.code)) {
            if (entry.goneSince) {
                entry.goneSince = 0; // back within the day: same number
                update.changed = true;
            }
        } else if (!entry.goneSince) {
            entry.goneSince = t;
            update.changed = true;
        } else if (t - entry.goneSince >= kReuseAfterSeconds || t < entry.goneSince - kReuseAfterSeconds) {
            // (A clock set far back must not keep a number blocked for ever.)
            numbered.erase(entry.code);
            it = entries_.erase(it);
            update.changed = true;
            continue;
        }
        ++it;
    }
    int next = kFirstEndpoint;
    for (const std::string& code : codes) {
        if (numbered.count(code))
            continue;
        while (next <= kLastEndpoint && entries_.count(next))
            ++next;
        if (next > kLastEndpoint) {
            update.unnumbered.push_back(code);
            continue;
        }
        entries_.emplace(next, Entry{code, 0});
        numbered.emplace(code, next);
        update.changed = true;
    }
    return update;
}

std::optional<int> EndpointTable::numberOf(std::string_view code) const
{
    for (const auto& [number, entry] : entries_)
        if (entry.code == code && !entry.goneSince)
            return number;
    return std::nullopt;
}

} // namespace bsc
