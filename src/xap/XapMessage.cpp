#include "XapMessage.h"

#include "ProgramState.h"
#include "Logging.h"

#include "automation/Array.h"
#include "base/AsciiText.h"

#include <algorithm>

namespace xap {

namespace {

using ascii::equalsIgnoreCase;

// Trims blanks (spaces only, as the wire format's readers always have).
constexpr std::string_view trimSpaces(std::string_view s)
{
    return ascii::trim(s, ascii::kSpaces);
}

// Sections with more items than this get a hash index for the duplicate-key check.
constexpr std::uint32_t kLinearSectionLimit = 16;

class LineEnumerator final : public vb::Enumerator {
public:
    explicit LineEnumerator(const std::vector<std::string_view>& lines) : lines_(lines.begin(), lines.end()) { }
    bool next(vb::Variant& out) override
    {
        if (position_ >= lines_.size())
            return false;
        out = vb::Variant(lines_[position_++]);
        return true;
    }

private:
    std::vector<std::string> lines_;
    std::size_t position_ = 0;
};

} // namespace

const vb::MemberTable<XapMessage>& XapMessage::members()
{
    static const vb::MemberTable<XapMessage> table("XapMessage", {
        vb::method<&XapMessage::AddHeader>("AddHeader"),
        vb::method<&XapMessage::AddItem>("AddItem"),
        vb::method<&XapMessage::AddSection>("AddSection"),
        vb::method<&XapMessage::CompareAddress>("CompareAddress"),
        vb::method<&XapMessage::CompareClass>("CompareClass"),
        vb::method<&XapMessage::CompareSource>("CompareSource"),
        vb::method<&XapMessage::CompareTarget>("CompareTarget"),
        vb::method<&XapMessage::FromXap>("FromXap"),
        vb::method<&XapMessage::GetItem>("GetItem"),
        vb::method<&XapMessage::Init>("Init"),
        vb::let<&XapMessage::letMsgClass>("MsgClass"),
        vb::get<&XapMessage::MsgClass>("MsgClass"),
        vb::let<&XapMessage::letMsgSource>("msgSource"),
        vb::get<&XapMessage::msgSource>("msgSource"),
        vb::let<&XapMessage::letMsgTarget>("MsgTarget"),
        vb::get<&XapMessage::MsgTarget>("MsgTarget"),
        vb::let<&XapMessage::letMsgUID>("MsgUID"),
        vb::get<&XapMessage::MsgUID>("MsgUID"),
        vb::get<&XapMessage::MsgSection>("MsgSection"),
        vb::get<&XapMessage::msgCollection>("msgCollection"),
        vb::method<&XapMessage::Reset>("Reset"),
        vb::method<&XapMessage::ToXap>("ToXap"),
    });
    return table;
}

// ---- Building ---------------------------------------------------------------------

XapMessage::XapMessage(ProgramState& program)
    : program_(program)
{
}

std::int16_t XapMessage::AddHeader()
{
    vb::trap(writeLogFileReporter(program_), "Message AddHeader", "", [&] {
        builder_ += program_.headerPrefix;
        builder_ += msgUID_;
        builder_ += "\nclass=";
        builder_ += msgClass_;
        builder_ += "\nsource=";
        builder_ += msgSource_;
        builder_ += '\n';
        if (!msgTarget_.empty()) {
            builder_ += "target=";
            builder_ += msgTarget_;
            builder_ += '\n';
        }
        builder_ += "}\n";
        sectionOpen_ = false;
    });
    return 0;
}

void XapMessage::addSection(std::string_view name)
{
    if (sectionOpen_)
        builder_ += "}\n";
    builder_ += name;
    builder_ += "\n{\n";
    sectionOpen_ = true;
}

void XapMessage::addItem(std::string_view key, std::string_view value)
{
    builder_ += key;
    builder_ += '=';
    builder_ += value;
    builder_ += '\n';
}

std::int16_t XapMessage::AddSection(const std::string& sectionName)
{
    addSection(sectionName);
    return 0;
}

std::int16_t XapMessage::AddItem(const std::string&, const std::string& itemName, const std::string& value)
{
    addItem(itemName, value);
    return 0;
}

std::string XapMessage::ToXap() const
{
    // Only an open body block needs closing: the header block closes itself.
    if (!sectionOpen_)
        return builder_;
    std::string out;
    out.reserve(builder_.size() + 2);
    out += builder_;
    out += "}\n";
    return out;
}

std::int16_t XapMessage::Init(const std::string&)
{
    builder_.clear();
    return 0;
}

// ---- Addresses and class ----------------------------------------------------------

bool XapMessage::compareAddress(std::string_view a, std::string_view b)
{
    if (a.empty() || b.empty())
        return false;
    // The sub-address is not compared.
    a = a.substr(0, a.find(':'));
    b = b.substr(0, b.find(':'));
    // Walk the "."-separated parts of both side by side.
    std::size_t pa = 0, pb = 0;
    while (true) {
        const std::size_t ea = std::min(a.find('.', pa), a.size());
        const std::size_t eb = std::min(b.find('.', pb), b.size());
        const std::string_view partA = a.substr(pa, ea - pa);
        const std::string_view partB = b.substr(pb, eb - pb);
        if (partA == ">" || partB == ">")
            return true;
        if (partA != "*" && partB != "*" && !equalsIgnoreCase(partA, partB))
            return false;
        const bool lastA = ea == a.size();
        const bool lastB = eb == b.size();
        if (lastA || lastB)
            return lastA && lastB; // equal part counts
        pa = ea + 1;
        pb = eb + 1;
    }
}

bool XapMessage::CompareClass(const std::string& cls) const
{
    return equalsIgnoreCase(cls, msgClass_);
}

// ---- Parsing ----------------------------------------------------------------------

std::int16_t XapMessage::fromXap(std::string_view raw)
{
    parsedWhole_ = vb::trap(writeLogFileReporter(program_), "From XAP", "", [&] { parse(raw); });
    return 0;
}

void XapMessage::parse(std::string_view raw)
{
    if (raw.empty())
        return;
    const std::size_t firstLineEnd = std::min(raw.find('\n'), raw.size());
    if (!ascii::containsIgnoreCase(raw.substr(0, firstLineEnd), "xap-header"))
        return;

    const std::size_t base = text_.size();
    text_.append(raw);
    // A typical message has one body block of a few items.
    items_.reserve(items_.size() + 16);
    sections_.reserve(sections_.size() + 4);
    const std::string_view text(text_);
    const std::size_t end = text.size();

    // Lines are separated by LF; a trailing LF gives a last, empty line. `pos` is the
    // start of the current line, npos once every line has been read.
    auto lineEnd = [&](std::size_t start) { return std::min(text.find('\n', start), end); };
    auto nextLine = [&](std::size_t start) {
        const std::size_t e = lineEnd(start);
        return e < end ? e + 1 : std::string_view::npos;
    };

    // Line 1 is taken to be "{" and is not examined.
    std::size_t pos = nextLine(base);
    if (pos != std::string_view::npos)
        pos = nextLine(pos);

    bool inHeader = true;
    while (pos != std::string_view::npos) {
        const std::size_t e = lineEnd(pos);
        const std::string_view line = text.substr(pos, e - pos);
        const std::size_t next = e < end ? e + 1 : std::string_view::npos;

        if (line == "}") {
            // The next line names the new section; a text that ends right after "}" has none.
            if (next == std::string_view::npos)
                vb::raiseError(vb::err::SubscriptOutOfRange);
            const std::size_t nameEnd = lineEnd(next);
            openSection(text.substr(next, nameEnd - next));
            inHeader = false;
            pos = nameEnd < end ? nameEnd + 1 : std::string_view::npos;
            continue;
        }
        pos = next;

        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = trimSpaces(line.substr(0, eq));
        if (inHeader) {
            std::string_view value = trimSpaces(line.substr(eq + 1));
            if (equalsIgnoreCase(key, "uid"))
                msgUID_.assign(value);
            else if (equalsIgnoreCase(key, "class"))
                msgClass_.assign(value);
            else if (equalsIgnoreCase(key, "source"))
                msgSource_.assign(value);
            else if (equalsIgnoreCase(key, "target"))
                msgTarget_.assign(value);
        } else {
            auto spanOf = [&](std::string_view part) {
                return Span{static_cast<std::uint32_t>(part.data() - text.data()), static_cast<std::uint32_t>(part.size())};
            };
            addParsedItem(spanOf(key), spanOf(line));
        }
    }
}

void XapMessage::openSection(std::string_view name)
{
    std::string key = ascii::lower(name);
    if (!sectionIndex_.emplace(key, static_cast<std::uint32_t>(sections_.size())).second)
        vb::raiseError(vb::err::DuplicateKey);
    sections_.push_back(Section{std::move(key), static_cast<std::uint32_t>(items_.size()), 0});
    // Clearing a hash set costs its bucket count: only a set that was used is replaced.
    if (!bigSectionKeys_.empty())
        bigSectionKeys_ = {};
    hasSections_ = true;
}

void XapMessage::addParsedItem(Span key, Span line)
{
    Section& section = sections_.back();
    const std::string_view keyText = view(key);
    const std::uint32_t hash = keyHash(keyText);
    if (section.itemCount < kLinearSectionLimit) {
        const Item* first = items_.data() + section.firstItem;
        for (const Item* it = first; it != first + section.itemCount; ++it)
            if (it->keyHash == hash && equalsIgnoreCase(view(it->key), keyText))
                vb::raiseError(vb::err::DuplicateKey);
    } else {
        if (section.itemCount == kLinearSectionLimit)
            for (std::uint32_t i = 0; i < section.itemCount; ++i)
                bigSectionKeys_.insert(ascii::lower(view(items_[section.firstItem + i].key)));
        if (!bigSectionKeys_.insert(ascii::lower(keyText)).second)
            vb::raiseError(vb::err::DuplicateKey);
    }
    items_.push_back(Item{key, hash, line});
    ++section.itemCount;
}

const XapMessage::Section* XapMessage::findSection(std::string_view name) const
{
    const auto found = sectionIndex_.find(ascii::lower(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

std::uint32_t XapMessage::keyHash(std::string_view key)
{
    // FNV-1a over the lowercased bytes.
    std::uint32_t hash = 2166136261u;
    for (char c : key)
        hash = (hash ^ static_cast<unsigned char>(ascii::toLower(c))) * 16777619u;
    return hash;
}

const XapMessage::Item* XapMessage::findItem(const Section& section, std::string_view key) const
{
    const std::uint32_t hash = keyHash(key);
    const Item* first = items_.data() + section.firstItem;
    for (const Item* it = first; it != first + section.itemCount; ++it)
        if (it->keyHash == hash && equalsIgnoreCase(view(it->key), key))
            return it;
    return nullptr;
}

std::string XapMessage::getItem(std::string_view sectionName, std::string_view itemName) const
{
    const Section* section = findSection(sectionName);
    if (!section)
        return "Unknown";
    const Item* item = findItem(*section, itemName);
    if (!item)
        return "Unknown";
    const std::string_view line = view(item->line);
    return std::string(line.substr(line.find('=') + 1));
}

vb::Variant XapMessage::MsgSection() const
{
    if (sections_.empty())
        return vb::Variant(vb::Array::fromValues({vb::Variant("")}));
    // A complete text ends with "}" LF, which opens one more section named by the
    // empty last line; that one is not a body block. A text cut short has no such
    // entry, and its last real name is left out all the same.
    std::vector<vb::Variant> names;
    for (std::size_t i = 0; i + 1 < sections_.size(); ++i)
        names.emplace_back(sections_[i].name);
    return vb::Variant(vb::Array::fromValues(std::move(names)));
}

vb::Variant XapMessage::msgCollection(std::int16_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= sections_.size())
        return vb::Variant::nothing();
    return vb::Variant(vb::Ref<vb::Object>(new XapItemCollection(vb::Ref<XapMessage>(this), static_cast<std::size_t>(index))));
}

std::vector<std::string_view> XapMessage::sectionLines(std::size_t index) const
{
    std::vector<std::string_view> lines;
    if (index >= sections_.size())
        return lines;
    const Section& s = sections_[index];
    lines.reserve(s.itemCount);
    for (std::uint32_t i = 0; i < s.itemCount; ++i)
        lines.push_back(view(items_[s.firstItem + i].line));
    return lines;
}

std::optional<std::string_view> XapMessage::sectionLine(std::size_t index, std::string_view key) const
{
    if (index >= sections_.size())
        return std::nullopt;
    const Item* item = findItem(sections_[index], key);
    if (!item)
        return std::nullopt;
    return view(item->line);
}

// ---- The read-only item view -------------------------------------------------------

const vb::MemberTable<XapItemCollection>& XapItemCollection::members()
{
    static const vb::MemberTable<XapItemCollection> table("Collection", {
        vb::get<&XapItemCollection::Count>("Count"),
        vb::get<&XapItemCollection::Item>("Item", vb::kDefault),
    });
    return table;
}

XapItemCollection::XapItemCollection(vb::Ref<XapMessage> message, std::size_t section)
    : message_(std::move(message))
    , section_(section)
{
}

std::int32_t XapItemCollection::Count() const
{
    return static_cast<std::int32_t>(message_->sectionLines(section_).size());
}

vb::Variant XapItemCollection::Item(const vb::Variant& index) const
{
    if (index.isString()) {
        // Keys are the trimmed, lowercased item names.
        const auto line = message_->sectionLine(section_, trimSpaces(index.stringValue()));
        if (!line)
            vb::raiseError(vb::err::InvalidProcedureCall);
        return vb::Variant(*line);
    }
    const std::vector<std::string_view> lines = message_->sectionLines(section_);
    const std::int32_t position = vb::CLng(index);
    if (position < 1 || static_cast<std::size_t>(position) > lines.size())
        vb::raiseError(vb::err::SubscriptOutOfRange);
    return vb::Variant(lines[static_cast<std::size_t>(position) - 1]);
}

std::unique_ptr<vb::Enumerator> XapItemCollection::enumerate()
{
    return std::make_unique<LineEnumerator>(message_->sectionLines(section_));
}

} // namespace xap
