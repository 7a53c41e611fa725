// XapMessage: one xAP message, either being built for sending or parsed from a
// received text. Published to the plug-in and to scripts under the same name.
//
// Wire text: LF-separated lines; blocks of a name line, "{", key=value lines and "}".
// The header block "xap-header" carries v, hop, uid, class, source and target.
//
// A parsed message keeps the received text once; sections and items refer to it by
// offset, so parsing costs one copy and a few small vectors. Header fields that the
// text does not carry read "Unknown".
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace xap {

struct ProgramState;

class XapMessage final : public vb::Dispatch<XapMessage> {
public:
    static const vb::MemberTable<XapMessage>& members();

    // A message of `program`: its header takes the program's prefix, and a failed parse
    // is written to the program's log file.
    explicit XapMessage(ProgramState& program);

    // Building: set the header fields, AddHeader, then AddSection/AddItem, then ToXap.
    std::int16_t AddHeader();
    std::int16_t AddItem(const std::string& sectionName, const std::string& itemName, const std::string& value);
    std::int16_t AddSection(const std::string& sectionName);
    std::string ToXap() const;
    // Empties the builder; the argument is not used.
    std::int16_t Init(const std::string& text);
    void Reset() { }

    // Address match: "*" matches one part, ">" the rest; case and sub-addresses ignored.
    static bool compareAddress(std::string_view first, std::string_view second);
    bool CompareAddress(const std::string& first, const std::string& second) const { return compareAddress(first, second); }
    bool CompareClass(const std::string& cls) const;
    bool CompareSource(const std::string& source) const { return compareAddress(source, msgSource_); }
    bool CompareTarget(const std::string& target) const { return compareAddress(target, msgTarget_); }

    // Parsing. The first failure (a duplicate key or section, a text without its final
    // LF) ends the parse and is written to the log file; what was read stays.
    std::int16_t FromXap(const std::string& text) { return fromXap(text); }
    std::int16_t fromXap(std::string_view text);
    // False when the last parse ended at a failure (and was logged).
    bool parsedWhole() const { return parsedWhole_; }
    // Value of an item of a parsed body block (everything after the first "=" of its
    // line, untrimmed), or "Unknown".
    std::string GetItem(const std::string& sectionName, const std::string& itemName) const { return getItem(sectionName, itemName); }
    std::string getItem(std::string_view sectionName, std::string_view itemName) const;
    // Names of the parsed body blocks, lowercased, without the empty name the final
    // "}" opens.
    vb::Variant MsgSection() const;
    // Read-only view of the raw item lines of section `index` (from 0); Nothing when
    // there is no such section.
    vb::Variant msgCollection(std::int16_t index);

    const std::string& MsgClass() const { return msgClass_; }
    const std::string& msgSource() const { return msgSource_; }
    const std::string& MsgTarget() const { return msgTarget_; }
    const std::string& MsgUID() const { return msgUID_; }
    void letMsgClass(std::string v) { msgClass_ = std::move(v); }
    void letMsgSource(std::string v) { msgSource_ = std::move(v); }
    void letMsgTarget(std::string v) { msgTarget_ = std::move(v); }
    void letMsgUID(std::string v) { msgUID_ = std::move(v); }

    // C++ side: builder calls without the unused section argument.
    void addItem(std::string_view key, std::string_view value);
    void addSection(std::string_view name);

    // The raw item lines of a section, in order (for the read-only view).
    std::size_t sectionCount() const { return sections_.size(); }
    std::string_view sectionName(std::size_t index) const { return index < sections_.size() ? std::string_view(sections_[index].name) : std::string_view(); }
    std::vector<std::string_view> sectionLines(std::size_t index) const;
    // The raw line stored under `key` (compared without regard to case) in a section.
    std::optional<std::string_view> sectionLine(std::size_t index, std::string_view key) const;

private:
    struct Span {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
    };
    struct Item {
        Span key;              // trimmed; compared without regard to case
        std::uint32_t keyHash; // of the lowercased key, to skip most comparisons
        Span line;             // the whole raw line
    };
    struct Section {
        std::string name; // lowercased, untrimmed
        std::uint32_t firstItem = 0;
        std::uint32_t itemCount = 0;
    };

    std::string_view view(Span s) const { return std::string_view(text_).substr(s.start, s.length); }
    const Section* findSection(std::string_view name) const;
    const Item* findItem(const Section& section, std::string_view key) const;
    void parse(std::string_view raw);
    void openSection(std::string_view name);
    void addParsedItem(Span key, Span line);
    static std::uint32_t keyHash(std::string_view key);

    ProgramState& program_;
    std::string builder_;
    std::string msgClass_ = "Unknown";
    std::string msgTarget_ = "Unknown";
    std::string msgSource_ = "Unknown";
    std::string msgUID_ = "Unknown";
    bool sectionOpen_ = false;
    bool hasSections_ = false;
    bool parsedWhole_ = true;

    std::string text_; // every text parsed into this message, one after the other
    std::vector<Section> sections_;
    std::vector<Item> items_;
    // Key index of the current section while it is parsed, once it is large.
    std::unordered_set<std::string> bigSectionKeys_;
    // Section number by lowercased name, for constant-time lookup.
    std::unordered_map<std::string, std::uint32_t> sectionIndex_;
};

// The read-only view msgCollection hands out: Count, Item(position from 1, or key)
// and For Each over the raw item lines of one section.
class XapItemCollection final : public vb::Dispatch<XapItemCollection> {
public:
    static const vb::MemberTable<XapItemCollection>& members();
    XapItemCollection(vb::Ref<XapMessage> message, std::size_t section);

    std::int32_t Count() const;
    vb::Variant Item(const vb::Variant& index) const;
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    vb::Ref<XapMessage> message_;
    std::size_t section_;
};

} // namespace xap
