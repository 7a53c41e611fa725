// SubMatches: the texts the capturing groups of one match took (Empty for a group
// that took no part). Item (the default member) is 0-based.
#pragma once

#include "automation/MemberTable.h"

#include <vector>

namespace vbscript::objects {

class SubMatches final : public vb::Dispatch<SubMatches> {
public:
    static const vb::MemberTable<SubMatches>& members();

    explicit SubMatches(std::vector<vb::Variant> items) : items_(std::move(items)) { }

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }
    // Raises 5 for an index outside 0 ... Count - 1.
    vb::Variant Item(std::int32_t index) const;

    std::size_t size() const { return items_.size(); }
    const vb::Variant& itemAt(std::size_t i) const { return items_[i]; }
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    std::vector<vb::Variant> items_;
};

} // namespace vbscript::objects
