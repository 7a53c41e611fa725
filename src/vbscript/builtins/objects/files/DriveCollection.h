// Drives: the drives of the system, which here is the one root drive.
#pragma once

#include "automation/MemberTable.h"

namespace vbscript::objects::files {

class DriveCollection final : public vb::Dispatch<DriveCollection> {
public:
    static const vb::MemberTable<DriveCollection>& members();

    std::int32_t Count() const { return 1; }
    // Any name of the root drive ("C", "C:", "/"); 68 "Device unavailable" otherwise.
    vb::Variant Item(const std::string& name) const;

    std::size_t size() const { return 1; }
    vb::Variant itemAt(std::size_t) const;
    std::unique_ptr<vb::Enumerator> enumerate() override;
};

// True when the text names the root drive: "/", or a drive letter with or
// without ":" and a separator.
bool namesTheDrive(std::string_view fileSpec);

} // namespace vbscript::objects::files
