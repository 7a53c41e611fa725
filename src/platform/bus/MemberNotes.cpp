#include "MemberNotes.h"

#include "base/AsciiText.h"

namespace platform::bus {

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    return ascii::equalsIgnoreCase(a, b);
}

} // namespace

const MemberNote* memberNote(std::span<const ClassNotes> notes, std::string_view className, std::string_view member)
{
    for (const ClassNotes& c : notes) {
        if (c.className != className)
            continue;
        for (const MemberNote& m : c.members)
            if (sameName(m.member, member))
                return &m;
    }
    return nullptr;
}

} // namespace platform::bus
