// Match: one match of a regular expression. Value (the default member) is the text
// matched, FirstIndex its 0-based character position in the searched text.
#pragma once

#include "SubMatches.h"

#include "automation/MemberTable.h"

namespace vbscript::objects {

class Match final : public vb::Dispatch<Match> {
public:
    static const vb::MemberTable<Match>& members();

    Match(std::string value, std::int32_t firstIndex, std::int32_t length, vb::Ref<SubMatches> subMatches)
        : value_(std::move(value)), firstIndex_(firstIndex), length_(length), subMatches_(std::move(subMatches))
    {
    }

    std::string Value() const { return value_; }
    std::int32_t FirstIndex() const { return firstIndex_; }
    std::int32_t Length() const { return length_; }
    vb::Variant GetSubMatches() const;

private:
    std::string value_;
    std::int32_t firstIndex_;
    std::int32_t length_;
    vb::Ref<SubMatches> subMatches_;
};

} // namespace vbscript::objects
