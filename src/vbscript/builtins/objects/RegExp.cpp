#include "RegExp.h"

#include "ObjectSupport.h"
#include "MatchCollection.h"
#include "regex/RegexMatcher.h"

#include "vbscript/base/RunningContext.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Conversions.h"

namespace vbscript::objects {

namespace {

// Character positions of byte offsets that mostly grow, counted incrementally.
class CharacterPositions {
public:
    explicit CharacterPositions(std::string_view s) : text_(s) { }
    std::int32_t at(std::size_t offset)
    {
        if (offset < byte_) {
            byte_ = 0;
            chars_ = 0;
        }
        chars_ += text::charIndex(text_.substr(byte_), offset - byte_);
        byte_ = offset;
        return static_cast<std::int32_t>(chars_);
    }

private:
    std::string_view text_;
    std::size_t byte_ = 0;
    std::size_t chars_ = 0;
};

std::string_view groupText(std::string_view subject, const regex::MatchResult& m, int g)
{
    if (!m.groupMatched(g))
        return {};
    const auto b = static_cast<std::size_t>(m.groups[2 * g]);
    const auto e = static_cast<std::size_t>(m.groups[2 * g + 1]);
    return subject.substr(b, e - b);
}

// Every match (or only the first), each search starting where the previous match
// ended, one character further after an empty match.
template <class Visit>
void forEachMatch(regex::Matcher& matcher, std::string_view subject, bool all, Visit visit)
{
    std::size_t from = 0;
    while (from <= subject.size()) {
        std::optional<regex::MatchResult> m = matcher.search(from);
        if (!m)
            break;
        pollLongWork();
        visit(*m);
        if (!all)
            break;
        if (m->end == m->begin) {
            if (m->end >= subject.size())
                break;
            from = m->end + text::decodeAt(subject, m->end).size;
        } else {
            from = m->end;
        }
    }
}

// Expands $ sequences of a replacement text for one match.
void appendReplacement(std::string& out, std::string_view with, std::string_view subject, const regex::MatchResult& m, int groups)
{
    auto digit = [&](std::size_t i) { return i < with.size() && with[i] >= '0' && with[i] <= '9' ? with[i] - '0' : -1; };
    for (std::size_t i = 0; i < with.size(); ++i) {
        const char c = with[i];
        if (c != '$' || i + 1 >= with.size()) {
            out += c;
            continue;
        }
        const char next = with[i + 1];
        if (next == '$') {
            out += '$';
            ++i;
        } else if (next == '&') {
            out.append(subject.substr(m.begin, m.end - m.begin));
            ++i;
        } else if (next == '`') {
            out.append(subject.substr(0, m.begin));
            ++i;
        } else if (next == '\'') {
            out.append(subject.substr(m.end));
            ++i;
        } else if (const int d1 = digit(i + 1); d1 >= 0) {
            const int d2 = digit(i + 2);
            if (d2 >= 0 && d1 * 10 + d2 >= 1 && d1 * 10 + d2 <= groups) {
                out.append(groupText(subject, m, d1 * 10 + d2));
                i += 2;
            } else if (d1 >= 1 && d1 <= groups) {
                out.append(groupText(subject, m, d1));
                i += 1;
            } else {
                out += '$';
            }
        } else {
            out += '$';
        }
    }
}

} // namespace

const vb::MemberTable<RegExp>& RegExp::members()
{
    static const vb::MemberTable<RegExp> table("IRegExp2", {
        vb::get<&RegExp::Pattern>("Pattern"),
        vb::let<&RegExp::LetPattern>("Pattern"),
        vb::get<&RegExp::Global>("Global"),
        vb::let<&RegExp::LetGlobal>("Global"),
        vb::get<&RegExp::IgnoreCase>("IgnoreCase"),
        vb::let<&RegExp::LetIgnoreCase>("IgnoreCase"),
        vb::get<&RegExp::Multiline>("Multiline"),
        vb::let<&RegExp::LetMultiline>("Multiline"),
        vb::method<&RegExp::Test>("Test"),
        vb::method<&RegExp::Execute>("Execute"),
        vb::method<&RegExp::Replace>("Replace"),
    });
    return table;
}

void RegExp::LetPattern(const std::string& pattern)
{
    pattern_ = pattern;
    compiled_.reset();
}

const regex::Program& RegExp::program()
{
    if (!compiled_)
        compiled_ = regex::compile(pattern_);
    return *compiled_;
}

bool RegExp::Test(const std::string& subject)
{
    regex::Matcher matcher(program(), subject, ignoreCase_, multiline_);
    return matcher.search(0).has_value();
}

vb::Variant RegExp::Execute(const std::string& subject)
{
    const regex::Program& prog = program();
    regex::Matcher matcher(prog, subject, ignoreCase_, multiline_);
    CharacterPositions positions(subject);
    std::vector<vb::Ref<Match>> matches;
    forEachMatch(matcher, subject, global_, [&](const regex::MatchResult& m) {
        std::vector<vb::Variant> groups;
        for (int g = 1; g <= prog.groups; ++g)
            groups.push_back(m.groupMatched(g) ? vb::Variant(groupText(subject, m, g)) : vb::Variant());
        const std::int32_t first = positions.at(m.begin);
        const std::int32_t last = positions.at(m.end);
        matches.push_back(vb::make<Match>(std::string(subject.substr(m.begin, m.end - m.begin)), first, last - first,
                                          vb::make<SubMatches>(std::move(groups))));
    });
    return objectValue(vb::make<MatchCollection>(std::move(matches)));
}

std::string RegExp::Replace(const std::string& subject, vb::Variant& replacement)
{
    const regex::Program& prog = program();
    // A function reference (GetRef) computes each replacement; anything else is text.
    vb::Object* function = replacement.isObject() ? replacement.objectValue() : nullptr;
    // The object receives its argument as a COM VARIANT: a Boolean becomes "-1" or "0".
    std::string with;
    if (replacement.type() == vb::vbBoolean)
        with = replacement.booleanValue() ? "-1" : "0";
    else if (!function)
        with = vb::CStr(replacement);
    regex::Matcher matcher(prog, subject, ignoreCase_, multiline_);
    CharacterPositions positions(subject);
    std::string out;
    std::size_t copied = 0;
    forEachMatch(matcher, subject, global_, [&](const regex::MatchResult& m) {
        out.append(subject, copied, m.begin - copied);
        if (function) {
            std::vector<vb::Variant> values;
            values.emplace_back(subject.substr(m.begin, m.end - m.begin));
            for (int g = 1; g <= prog.groups; ++g)
                values.push_back(m.groupMatched(g) ? vb::Variant(groupText(subject, m, g)) : vb::Variant());
            values.emplace_back(positions.at(m.begin));
            values.emplace_back(subject);
            std::vector<vb::Variant*> pointers;
            for (vb::Variant& v : values)
                pointers.push_back(&v);
            const vb::MemberId id = function->memberId("");
            if (id == vb::kNoMember)
                vb::raiseError(vb::err::NoSuchMember);
            out += vb::CStr(function->invoke(id, vb::Method | vb::Get, vb::Args(pointers.data(), pointers.size())));
        } else {
            appendReplacement(out, with, subject, m, prog.groups);
        }
        copied = m.end;
    });
    out.append(subject, copied, std::string::npos);
    return out;
}

} // namespace vbscript::objects
