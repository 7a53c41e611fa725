#include "Settings.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"
#include "ini/IniTool.h"

#include <charconv>
#include <optional>

namespace bsc {

namespace {

std::optional<bool> flag(const std::string& text)
{
    for (const char* yes : {"1", "true", "yes", "on"})
        if (vb::equalsIgnoreCase(text, yes))
            return true;
    for (const char* no : {"0", "false", "no", "off"})
        if (vb::equalsIgnoreCase(text, no))
            return false;
    return std::nullopt;
}

void note(Settings& s, const std::string& text)
{
    s.problems += (s.problems.empty() ? "" : "; ") + text;
}

void readFlag(Settings& s, const services::IniTool& ini, const char* key, bool& out)
{
    const std::string text = ini.Read("BSC", key, "");
    if (text.empty())
        return;
    if (const std::optional<bool> value = flag(text))
        out = *value;
    else
        note(s, std::string(key) + "=" + text.substr(0, 20) + " is not 0 or 1");
}

} // namespace

Settings readSettings(services::IniState& iniState, const std::string& path)
{
    Settings s;
    services::IniTool ini(iniState);
    try {
        ini.Load(platform::resolvePath(path));
    } catch (const vb::Error& e) {
        note(s, "vynXap.ini cannot be read (" + e.description() + ")");
        return s;
    }
    readFlag(s, ini, "Enabled", s.enabled);
    readFlag(s, ini, "Commands", s.commands);
    const std::string interval = ini.Read("BSC", "InfoInterval", "");
    if (!interval.empty()) {
        long seconds = 0;
        const auto [end, error] = std::from_chars(interval.data(), interval.data() + interval.size(), seconds);
        if (error != std::errc() || end != interval.data() + interval.size() || seconds < 0) {
            note(s, "InfoInterval=" + interval.substr(0, 20) + " is not a number of seconds");
        } else if (seconds == 0) {
            s.infoIntervalSeconds = 0;
        } else if (seconds < kMinInfoInterval || seconds > kMaxInfoInterval) {
            s.infoIntervalSeconds = static_cast<int>(seconds < kMinInfoInterval ? kMinInfoInterval : kMaxInfoInterval);
            note(s, "InfoInterval=" + interval + " is taken as " + std::to_string(s.infoIntervalSeconds));
        } else {
            s.infoIntervalSeconds = static_cast<int>(seconds);
        }
    }
    return s;
}

} // namespace bsc
