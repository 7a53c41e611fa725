// Fuzz target: the xAP message parser. Any text parses without a crash, in time linear
// in its size; a text that parses whole, rebuilt with the builder and parsed again,
// gives the same header fields, sections and item lines.
#include "xap/ProgramState.h"
#include "xap/XapMessage.h"

#include "automation/Array.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Parsed {
    std::string cls, source, uid;
    std::vector<std::string> sections; // every section but the final empty one
    std::vector<std::vector<std::string_view>> lines;
};

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "round-trip property broken: %s\n", what);
        std::abort();
    }
}

// The program the messages belong to; it lives as long as the fuzzer.
xap::ProgramState& program()
{
    static xap::ProgramState state;
    return state;
}

void setUp()
{
    // Parse failures are logged: into a folder of the fuzzer's own.
    const std::filesystem::path base = std::filesystem::temp_directory_path() / "tallis-fuzz-xap-message";
    std::filesystem::create_directories(base / "Data");
    program().baseFolder = base.string();
    program().headerPrefix = "xap-header\n{\nv=13\nhop=1\nuid=";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (setUp(), true);
    (void)ready;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    vb::Ref<xap::XapMessage> first = vb::make<xap::XapMessage>(program());
    first->fromXap(text);
    // Every lookup works on whatever was read.
    first->getItem("a", "b");
    first->MsgSection();
    for (std::size_t i = 0; i < first->sectionCount(); ++i)
        first->sectionLines(i);

    // The property holds for well-formed texts: parsed whole, and ending with the final
    // "}" LF that opens the last entry, empty-named and without items.
    const std::size_t count = first->sectionCount();
    if (!first->parsedWhole() || count < 1 || !first->sectionName(count - 1).empty() || !first->sectionLines(count - 1).empty())
        return 0;
    std::vector<std::string> sectionNames;
    const vb::Variant names = first->MsgSection();
    for (const vb::Variant& n : names.arrayValue().elements())
        sectionNames.push_back(vb::CStr(n));
    require(sectionNames.size() == count - 1, "MsgSection leaves out the last entry only");

    xap::XapMessage builder(program());
    builder.letMsgClass(first->MsgClass());
    builder.letMsgSource(first->msgSource());
    builder.letMsgUID(first->MsgUID());
    builder.letMsgTarget(first->MsgTarget());
    builder.AddHeader();
    for (std::size_t i = 0; i + 1 < count; ++i) {
        builder.addSection(sectionNames[i]);
        for (std::string_view line : first->sectionLines(i)) {
            const std::size_t eq = line.find('=');
            builder.addItem(line.substr(0, eq), line.substr(eq + 1));
        }
    }
    const std::string rebuilt = builder.ToXap();

    vb::Ref<xap::XapMessage> second = vb::make<xap::XapMessage>(program());
    second->fromXap(rebuilt);
    require(second->parsedWhole(), "the rebuilt text parses whole");
    require(second->sectionCount() == count, "same number of sections");
    require(second->sectionName(count - 1).empty(), "the rebuilt text ends with one closing line");
    require(second->MsgClass() == first->MsgClass(), "same class");
    require(second->msgSource() == first->msgSource(), "same source");
    require(second->MsgUID() == first->MsgUID(), "same uid");
    // An empty target is written as no target line, which reads back as "Unknown".
    require(second->MsgTarget() == first->MsgTarget() || (first->MsgTarget().empty() && second->MsgTarget() == "Unknown"),
            "same target");
    vb::Variant secondNames = second->MsgSection();
    std::size_t i = 0;
    for (const vb::Variant& n : secondNames.arrayValue().elements()) {
        require(i < sectionNames.size() && vb::CStr(n) == sectionNames[i], "same section names");
        require(second->sectionLines(i) == first->sectionLines(i), "same item lines");
        ++i;
    }
    require(i == sectionNames.size(), "no section lost");
    return 0;
}
