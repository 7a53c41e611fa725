#include "MemberNotes.h"

#include "base/AsciiText.h"

namespace platform::bus {

namespace {

std::span<const ClassNotes>& installed()
{
    static std::span<const ClassNotes> notes;
    return notes;
}

bool sameName(std::string_view a, std::string_view b)
{
    return ascii::equalsIgnoreCase(a, b);
}

} // namespace

void setMemberNotes(std::span<const ClassNotes> notes)
{
    installed() = notes;
}

const MemberNote* memberNote(std::string_view className, std::string_view member)
{
    for (const ClassNotes& c : installed()) {
        if (c.className != className)
            continue;
        for (const MemberNote& m : c.members)
            if (sameName(m.member, member))
                return &m;
    }
    return nullptr;
}

std::span<const ClassNotes> allMemberNotes()
{
    return installed();
}

} // namespace platform::bus
