#include "XapFrame.h"

#include "Text.h"

namespace xapmqtt {

namespace {

bool fail(std::string* why, const char* text)
{
    if (why)
        *why = text;
    return false;
}

} // namespace

const std::string* XapBlock::find(std::string_view key) const
{
    for (const auto& [k, v] : items)
        if (k == key)
            return &v;
    return nullptr;
}

std::string XapFrame::header(std::string_view key) const
{
    if (blocks.empty())
        return {};
    const std::string* value = blocks.front().find(key);
    return value ? *value : std::string();
}

std::optional<XapFrame> readFrame(std::string_view text, std::string* why)
{
    XapFrame frame;
    enum class Expect { Name, Open, Item } expect = Expect::Name;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(start, end - start));
        start = end + 1;
        switch (expect) {
        case Expect::Name:
            if (line.empty())
                continue;
            if (frame.blocks.size() >= XapFrame::kMaxBlocks) {
                fail(why, "too many blocks");
                return std::nullopt;
            }
            frame.blocks.push_back(XapBlock{lower(line), {}});
            expect = Expect::Open;
            break;
        case Expect::Open:
            if (line != "{") {
                fail(why, "a block name is not followed by \"{\"");
                return std::nullopt;
            }
            expect = Expect::Item;
            break;
        case Expect::Item: {
            if (line == "}") {
                expect = Expect::Name;
                break;
            }
            const std::size_t eq = line.find('=');
            if (eq == std::string_view::npos) {
                fail(why, "an item line without \"=\"");
                return std::nullopt;
            }
            XapBlock& block = frame.blocks.back();
            if (block.items.size() >= XapFrame::kMaxItems) {
                fail(why, "too many items in a block");
                return std::nullopt;
            }
            std::string key = lower(trim(line.substr(0, eq)));
            if (!block.find(key)) // the first of repeated keys counts
                block.items.emplace_back(std::move(key), std::string(trim(line.substr(eq + 1))));
            break;
        }
        }
    }
    if (expect != Expect::Name) {
        fail(why, "the last block is not closed");
        return std::nullopt;
    }
    if (frame.blocks.empty() || (frame.blocks.front().name != "xap-header" && frame.blocks.front().name != "xap-hbeat")) {
        fail(why, "the first block is neither xap-header nor xap-hbeat");
        return std::nullopt;
    }
    return frame;
}

std::string withHop(std::string_view text, int hop)
{
    const std::string item = "hop=" + std::to_string(hop);
    // Only the header block (up to its "}") is searched.
    std::size_t start = 0;
    std::size_t openEnd = std::string_view::npos;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trim(text.substr(start, end - start));
        if (line == "}")
            break;
        if (line == "{" && openEnd == std::string_view::npos)
            openEnd = end;
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && lower(trim(line.substr(0, eq))) == "hop")
            return std::string(text.substr(0, start)) + item + std::string(text.substr(end));
        start = end + 1;
    }
    if (openEnd == std::string_view::npos || openEnd >= text.size())
        return std::string(text);
    return std::string(text.substr(0, openEnd + 1)) + item + "\n" + std::string(text.substr(openEnd + 1));
}

std::pair<std::string, std::string> splitSubAddress(std::string_view address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos)
        return {std::string(address), {}};
    return {std::string(address.substr(0, colon)), std::string(address.substr(colon + 1))};
}

} // namespace xapmqtt
