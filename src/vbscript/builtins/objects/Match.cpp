#include "Match.h"

#include "ObjectSupport.h"

namespace vbscript::objects {

const vb::MemberTable<Match>& Match::members()
{
    static const vb::MemberTable<Match> table("IMatch2", {
        vb::get<&Match::Value>("Value", vb::kDefault),
        vb::get<&Match::FirstIndex>("FirstIndex"),
        vb::get<&Match::Length>("Length"),
        vb::raw<Match>("SubMatches", vb::Get, &collectionProperty<Match, &Match::GetSubMatches>),
    });
    return table;
}

vb::Variant Match::GetSubMatches() const
{
    return objectValue(subMatches_);
}

} // namespace vbscript::objects
