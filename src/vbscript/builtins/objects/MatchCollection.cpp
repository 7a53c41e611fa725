#include "MatchCollection.h"

#include "ObjectSupport.h"

namespace vbscript::objects {

const vb::MemberTable<MatchCollection>& MatchCollection::members()
{
    static const vb::MemberTable<MatchCollection> table("IMatchCollection2", {
        vb::get<&MatchCollection::Count>("Count"),
        vb::get<&MatchCollection::Item>("Item", vb::kDefault),
    });
    return table;
}

vb::Variant MatchCollection::Item(std::int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= matches_.size())
        vb::raiseError(vb::err::InvalidProcedureCall);
    return itemAt(static_cast<std::size_t>(index));
}

vb::Variant MatchCollection::itemAt(std::size_t i) const
{
    return objectValue(matches_[i]);
}

std::unique_ptr<vb::Enumerator> MatchCollection::enumerate()
{
    return std::make_unique<ListEnumerator<MatchCollection>>(vb::Ref<MatchCollection>(this));
}

} // namespace vbscript::objects
