#include "SubMatches.h"

#include "ObjectSupport.h"

namespace vbscript::objects {

const vb::MemberTable<SubMatches>& SubMatches::members()
{
    static const vb::MemberTable<SubMatches> table("ISubMatches", {
        vb::get<&SubMatches::Count>("Count"),
        vb::get<&SubMatches::Item>("Item", vb::kDefault),
    });
    return table;
}

vb::Variant SubMatches::Item(std::int32_t index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size())
        vb::raiseError(vb::err::InvalidProcedureCall);
    return items_[static_cast<std::size_t>(index)];
}

std::unique_ptr<vb::Enumerator> SubMatches::enumerate()
{
    return std::make_unique<ListEnumerator<SubMatches>>(vb::Ref<SubMatches>(this));
}

} // namespace vbscript::objects
