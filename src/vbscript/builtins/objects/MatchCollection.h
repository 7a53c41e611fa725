// MatchCollection: the matches RegExp.Execute found, in order. Item (the default
// member) is 0-based.
#pragma once

#include "Match.h"

#include "automation/MemberTable.h"

#include <vector>

namespace vbscript::objects {

class MatchCollection final : public vb::Dispatch<MatchCollection> {
public:
    static const vb::MemberTable<MatchCollection>& members();

    explicit MatchCollection(std::vector<vb::Ref<Match>> matches) : matches_(std::move(matches)) { }

    std::int32_t Count() const { return static_cast<std::int32_t>(matches_.size()); }
    // Raises 5 for an index outside 0 ... Count - 1.
    vb::Variant Item(std::int32_t index) const;

    std::size_t size() const { return matches_.size(); }
    vb::Variant itemAt(std::size_t i) const;
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    std::vector<vb::Ref<Match>> matches_;
};

} // namespace vbscript::objects
