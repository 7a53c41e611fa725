// Fuzz target: the BSC readers on whatever a message carries. Every block is read as a
// command and as a report without a crash; a level that reads back formats to a text
// that reads back the same; a report built from what was read is on one line per item.
#include "bsc/Schema.h"
#include "xap/ProgramState.h"
#include "xap/XapMessage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

void checkLevel(std::string_view text)
{
    const std::optional<bsc::Level> level = bsc::parseLevel(text);
    if (!level)
        return;
    require(level->range > 0 && level->value <= level->range, "level within its range");
    const int percent = bsc::percentOf(*level);
    require(percent >= 0 && percent <= 100, "percent within 0..100");
    require(bsc::parseLevel(bsc::formatLevel(*level)) == level, "a level reads back as formatted");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The program the messages belong to, for the fuzzer's whole run.
    static xap::ProgramState program;
    const std::string text(reinterpret_cast<const char*>(data), size);
    vb::Ref<xap::XapMessage> message = vb::make<xap::XapMessage>(program);
    message->fromXap(text);
    const std::string target = message->MsgTarget();
    (void)bsc::targetMatches(target, message->msgSource());
    (void)bsc::targetMatches(message->msgSource(), "vyn.Audrey.PC1:A1");
    for (std::size_t section = 0; section < message->sectionCount(); ++section) {
        bsc::Items items;
        for (const std::string_view line : message->sectionLines(section)) {
            const std::size_t eq = line.find('=');
            if (eq != std::string_view::npos)
                items.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
        }
        const bsc::CommandParse command = bsc::parseCommand(items);
        require(command.command.has_value() != !command.error.empty(), "a command or a reason");
        require(command.error.find('\n') == std::string::npos, "a reason on one line");
        for (const auto& [key, value] : items)
            checkLevel(value);
        if (std::optional<bsc::Status> status = bsc::parseStatus(message->sectionName(section), items)) {
            for (const auto& [key, value] : bsc::statusItems(*status)) {
                require(value.find('\n') == std::string::npos && value.find('\r') == std::string::npos, "report items on one line");
                require(value.size() <= bsc::kMaxReportText, "report items within the size");
            }
        }
    }
    return 0;
}
