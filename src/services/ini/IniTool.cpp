#include "IniTool.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace services {

namespace {

IniTool::Logger& logger()
{
    static IniTool::Logger instance;
    return instance;
}

void report(std::string_view type, std::string_view text)
{
    if (logger())
        logger()(type, text);
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

void IniTool::setLogger(Logger l)
{
    logger() = std::move(l);
}

std::string IniTool::mapKey(std::string_view header, std::string_view key)
{
    std::string k = vb::upperCase(header);
    k += '~';
    k += vb::upperCase(key);
    return k;
}

const IniTool::Entry* IniTool::find(const std::string& key) const
{
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second];
}

void IniTool::add(std::string key, std::string value)
{
    index_.emplace(key, entries_.size());
    entries_.push_back(Entry{std::move(key), std::move(value)});
}

void IniTool::erase(const std::string& key)
{
    auto it = index_.find(key);
    if (it == index_.end())
        return;
    entries_[it->second].live = false;
    index_.erase(it);
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
        n += e.live && e.key.find('~') != std::string::npos;
    return n;
}

void IniTool::Load(const std::string& path)
{
    Clear();
    path_ = path;
    auto content = platform::readFile(path);
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
            section = vb::upperCase(name);
            if (!find(section))
                add(section, std::string(name));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            report("IniTool", std::string(" Equal sign not found on line ") + std::string(line));
            continue;
        }
        std::string k = section + "~" + vb::upperCase(line.substr(0, eq));
        if (!find(k))
            add(std::move(k), std::string(line.substr(eq + 1)));
    }
}

std::string IniTool::Read(std::string_view header, std::string_view key, std::string_view defaultValue) const
{
    const Entry* e = find(mapKey(header, key));
    if (!e || e->value.empty())
        return std::string(defaultValue);
    return e->value;
}

void IniTool::WriteKey(std::string_view header, std::string_view key, std::string_view value)
{
    const std::string section = vb::upperCase(header);
    if (!find(section))
        add(section, std::string(header));
    std::string k = mapKey(header, key);
    auto it = index_.find(k);
    if (it != index_.end())
        entries_[it->second].value = std::string(value);
    else
        add(std::move(k), std::string(value));
}

void IniTool::RemoveKey(std::string_view header, std::string_view key)
{
    erase(mapKey(header, key));
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
        if (e.live && e.key.find('~') == std::string::npos)
            names.push_back(e.value);
    }
    return names;
}

std::vector<std::string> IniTool::Keys(std::string_view header) const
{
    // The section name is matched literally (letter case ignored), so names such as
    // "a.b" or "Plugins(old)" neither match other sections nor fail.
    const std::string prefix = vb::upperCase(header) + "~";
    std::vector<std::string> names;
    for (const Entry& e : entries_) {
        if (!e.live || e.key.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string name = e.key.substr(prefix.size());
        if (trimBlanks(name).empty())
            continue;
        names.push_back(std::move(name));
    }
    if (names.empty())
        names.emplace_back();
    return names;
}

void IniTool::Save()
{
    try {
        struct Row {
            std::string_view header, key, value;
        };
        std::vector<Row> rows;
        for (const Entry& e : entries_) {
            const std::size_t tilde = e.key.find('~');
            if (!e.live || tilde == std::string::npos)
                continue;
            rows.push_back(Row{std::string_view(e.key).substr(0, tilde), std::string_view(e.key).substr(tilde + 1), e.value});
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
        if (platform::fileExists(path_))
            platform::copyFile(path_, platform::resolvePath(path_) + "_bck");
        platform::writeFileAtomically(path_, out);
    } catch (...) {
        vb::setCurrentFailure(vb::failureFromCurrentException());
        report("raruveViziva", "IniTool Save " + path_);
        vb::clearCurrentFailure();
    }
}

} // namespace services
