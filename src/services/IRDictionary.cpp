#include "IRDictionary.h"

#include "automation/Conversions.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <array>
#include <vector>

namespace services {

namespace {

constexpr int kLabels = 14;
constexpr int kFirstButtonLine = 33;
constexpr int kButtonsPerLabel = 36;

// The lines of a text file (CR LF, LF or CR ends a line), double quotes removed.
std::vector<std::string> readLines(const std::string& content)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
        } else if (c != '"') {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::string zoneOf(const std::string& text)
{
    if (text == "17" || !vb::IsNumeric(vb::Variant(text)))
        return "0";
    return text;
}

void report(xap::ProgramState& program, const std::string& text)
{
    xap::LogEvent(program, xap::kProgramName, "SetupIRDictionary " + text);
}

} // namespace

void setupIRDictionary(xap::ProgramState& program, std::unordered_map<std::string, std::string>& dictionary,
                       const std::string& appPath)
{
    const auto labelFile = platform::readFile(platform::joinPath(appPath, "config/irlbl.cfg"));
    if (!labelFile)
        return;
    const auto zoneFile = platform::readFile(platform::joinPath(appPath, "config/irzones.cfg"));
    const std::vector<std::string> lines = readLines(*labelFile);
    const std::vector<std::string> zoneLines = zoneFile ? readLines(*zoneFile) : std::vector<std::string>();

    dictionary.clear();
    std::array<std::string, kLabels + 1> label;
    std::array<std::string, kLabels + 1> zone;
    bool zonesShortReported = false;
    int group = 1;
    for (int n = 1; n <= static_cast<int>(lines.size()); ++n) {
        const std::string& line = lines[static_cast<std::size_t>(n - 1)];
        if (n <= kLabels) {
            label[n] = line;
            if (!zoneFile) {
                zone[n] = "0";
            } else if (static_cast<std::size_t>(n) <= zoneLines.size()) {
                zone[n] = zoneOf(zoneLines[static_cast<std::size_t>(n - 1)]);
            } else {
                zone[n] = "0";
                if (!zonesShortReported)
                    report(program, "irzones.cfg has no zone for label " + std::to_string(n) + " or later; they use zone 0");
                zonesShortReported = true;
            }
        } else if (n >= kFirstButtonLine && group <= kLabels) {
            if (!line.empty()) {
                const std::string key = vb::upperCase(label[group] + " " + line);
                const std::string value = std::to_string(n - kFirstButtonLine) + "," + zone[group];
                if (!dictionary.emplace(key, value).second)
                    report(program, "duplicate button " + key + " skipped");
            }
            if (n == kButtonsPerLabel * group + kFirstButtonLine - 1)
                ++group;
        }
    }
}

} // namespace services
