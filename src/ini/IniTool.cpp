#include "IniTool.h"

#include "IniState.h"
#include "SaveEpisodes.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "base/AsciiText.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <optional>

namespace services {

namespace {

void report(IniState& state, std::string_view type, std::string_view text)
{
    if (state.logger)
        state.logger(type, text);
}

// Text without line breaks: CR and LF become blanks.
std::string oneLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// A section or key name as the store holds it: line breaks as blanks, upper-cased.
std::string upperName(std::string_view name)
{
    return name.find_first_of("\r\n") == std::string_view::npos ? vb::upperCase(name) : vb::upperCase(oneLine(name));
}

// Lines and keys lose spaces at their ends; tabs are content.
constexpr std::string_view trimBlanks(std::string_view s)
{
    return ascii::trim(s, ascii::kSpaces);
}

} // namespace

// Index keys: "S" + header for a section, "K" + the header's length + ":" + header +
// key for a key, so that no header or key text can make two entries collide.
std::string IniTool::sectionIndex(std::string_view upperHeader)
{
    std::string k = "S";
    k += upperHeader;
    return k;
}

std::string IniTool::keyIndex(std::string_view upperHeader, std::string_view upperKey)
{
    std::string k = "K" + std::to_string(upperHeader.size()) + ":";
    k += upperHeader;
    k += upperKey;
    return k;
}

const IniTool::Entry* IniTool::find(const std::string& index) const
{
    auto it = index_.find(index);
    return it == index_.end() ? nullptr : &entries_[it->second];
}

void IniTool::add(std::string index, Entry entry)
{
    index_.emplace(std::move(index), entries_.size());
    entries_.push_back(std::move(entry));
}

void IniTool::erase(const std::string& index)
{
    auto it = index_.find(index);
    if (it == index_.end())
        return;
    entries_[it->second].live = false;
    index_.erase(it);
}

void IniTool::addSection(std::string_view name)
{
    std::string upper = vb::upperCase(name);
    std::string index = sectionIndex(upper);
    if (!find(index))
        add(std::move(index), Entry{std::move(upper), {}, std::string(name), true});
}

void IniTool::Clear()
{
    entries_.clear();
    index_.clear();
}

std::size_t IniTool::keyCount() const
{
    std::size_t n = 0;
    for (const Entry& e : entries_)
        n += e.live && !e.section;
    return n;
}

void IniTool::Load(const std::string& path)
{
    Clear();
    path_ = path;
    unreadable_ = false;
    std::optional<std::string> content;
    try {
        content = platform::readFileIfExists(path);
    } catch (...) {
        // Not a missing file: nothing may be saved over it.
        unreadable_ = true;
        throw;
    }
    if (!content)
        return;
    std::string section; // upper-cased current section; keys before any header belong to ""
    std::size_t start = 0;
    const std::string& text = *content;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view raw(text.data() + start, end - start);
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view line = trimBlanks(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::string_view name = line.substr(1, line.size() - 2);
            addSection(name);
            section = vb::upperCase(name);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            report(*state_, "IniTool", std::string(" Equal sign not found on line ") + std::string(line));
            continue;
        }
        std::string key = vb::upperCase(line.substr(0, eq));
        std::string index = keyIndex(section, key);
        if (!find(index))
            add(std::move(index), Entry{section, std::move(key), std::string(line.substr(eq + 1))});
    }
}

std::string IniTool::Read(std::string_view header, std::string_view key, std::string_view defaultValue) const
{
    // Names are mapped as WriteKey maps them, so what was written reads back.
    const Entry* e = find(keyIndex(upperName(header), upperName(key)));
    if (!e || e->value.empty())
        return std::string(defaultValue);
    return e->value;
}

void IniTool::WriteKey(std::string_view header, std::string_view key, std::string_view value)
{
    const std::string name = oneLine(header);
    addSection(name);
    std::string upperHeader = vb::upperCase(name);
    std::string upperKey = vb::upperCase(oneLine(key));
    std::string index = keyIndex(upperHeader, upperKey);
    auto it = index_.find(index);
    if (it != index_.end())
        entries_[it->second].value = oneLine(value);
    else
        add(std::move(index), Entry{std::move(upperHeader), std::move(upperKey), oneLine(value)});
}

void IniTool::RemoveKey(std::string_view header, std::string_view key)
{
    erase(keyIndex(upperName(header), upperName(key)));
}

void IniTool::RemoveSection(std::string_view header)
{
    for (const std::string& name : Keys(header)) {
        if (!name.empty())
            RemoveKey(header, name);
    }
}

std::vector<std::string> IniTool::Headers() const
{
    std::vector<std::string> names;
    for (const Entry& e : entries_) {
        if (e.live && e.section)
            names.push_back(e.value);
    }
    return names;
}

std::vector<std::string> IniTool::Keys(std::string_view header) const
{
    // The section name is matched literally (letter case ignored), so names such as
    // "a.b" or "Plugins(old)" neither match other sections nor fail.
    const std::string upper = upperName(header);
    std::vector<std::string> names;
    for (const Entry& e : entries_) {
        if (!e.live || e.section || e.header != upper || trimBlanks(e.key).empty())
            continue;
        names.push_back(e.key);
    }
    if (names.empty())
        names.emplace_back();
    return names;
}

std::string IniTool::fileText() const
{
    struct Row {
        std::string_view header, key, value;
    };
    std::vector<Row> rows;
    for (const Entry& e : entries_) {
        if (e.live && !e.section)
            rows.push_back(Row{e.header, e.key, e.value});
    }
    // Ordinal order of the upper-cased names; keys of the nameless section come first.
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        const int h = vb::compareBinary(a.header, b.header);
        return h != 0 ? h < 0 : vb::compareBinary(a.key, b.key) < 0;
    });
    std::string out;
    out.reserve(rows.size() * 32);
    std::string_view current;
    bool first = true;
    for (const Row& r : rows) {
        if (first ? !r.header.empty() : r.header != current) {
            out += '[';
            out += r.header;
            out += "]\r\n";
        }
        first = false;
        current = r.header;
        out += r.key;
        out += '=';
        out += r.value;
        out += "\r\n";
    }
    return out;
}

bool IniTool::Save()
{
    saveError_.clear();
    try {
        if (unreadable_)
            throw vb::Error(vb::err::PermissionDenied, path_ + " could not be read when it was loaded; it is not saved over");
        const std::string out = fileText();
        // The backup is written the same atomic way and looks like the file it copies.
        // An empty file (one just created to be saved into) has nothing to keep.
        if (std::optional<std::string> old = platform::readFileIfExists(path_); old && !old->empty())
            platform::writeFileAtomically(platform::resolvePath(path_) + "_bck", *old, path_);
        platform::writeFileAtomically(path_, out);
        noteSaved(*state_, path_);
        return true;
    } catch (...) {
        vb::setCurrentFailure(vb::failureFromCurrentException());
        saveError_ = vb::currentFailure().description;
        report(*state_, "raruveViziva", "IniTool Save " + path_);
        vb::clearCurrentFailure();
        noteSaveFailed(*state_, path_, saveError_);
        return false;
    }
}

} // namespace services
