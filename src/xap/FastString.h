// FastString: an append-only string builder, and its published twin clsString that
// the host hands out through CreateClassString.
//
// Parts are kept in an array that grows by ChunkSize slots; value joins them.
#pragma once

#include "automation/MemberTable.h"

#include <vector>

namespace xap {

class FastString : public vb::Dispatch<FastString> {
public:
    static const vb::MemberTable<FastString>& members();

    FastString() { Reset(); }

    void Reset();
    vb::Variant value() const;
    void Add(vb::Variant strValue);

    // The highest index of the parts array (100, 200, ... as it grows).
    std::size_t highestIndex() const { return parts_.size() - 1; }

private:
    static constexpr std::int16_t kChunkSize = 100;
    std::size_t nextIndex_ = 1;
    std::vector<vb::Variant> parts_;
};

// The same builder under the host's class name.
class clsString final : public FastString {
public:
    std::string_view typeName() const override { return "clsString"; }
};

} // namespace xap
