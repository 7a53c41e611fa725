#include "FastString.h"

namespace xap {

const vb::MemberTable<FastString>& FastString::members()
{
    static const vb::MemberTable<FastString> table("FastString", {
        vb::method<&FastString::Reset>("Reset"),
        vb::get<&FastString::value>("value", vb::kDefault),
        vb::method<&FastString::Add>("Add"),
    });
    return table;
}

void FastString::Reset()
{
    parts_.assign(kChunkSize + 1, vb::Variant());
    nextIndex_ = 1;
}

void FastString::Add(vb::Variant strValue)
{
    if (nextIndex_ > highestIndex())
        parts_.resize(parts_.size() + kChunkSize);
    parts_[nextIndex_++] = std::move(strValue);
}

vb::Variant FastString::value() const
{
    std::string out;
    for (const vb::Variant& part : parts_)
        out += vb::CStr(part);
    return vb::Variant(std::move(out));
}

} // namespace xap
