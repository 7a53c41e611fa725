// Drive: the one drive of this system, the root of its file system ("/"). Every drive
// letter a script names maps to it. Path is the default member.
#pragma once

#include "automation/MemberTable.h"

namespace vbscript::objects::files {

class Drive final : public vb::Dispatch<Drive> {
public:
    static const vb::MemberTable<Drive>& members();

    std::string Path() const { return "/"; }
    std::string DriveLetter() const { return {}; }
    std::int32_t DriveType() const { return 2; } // a fixed disk
    bool IsReady() const { return true; }
    vb::Variant RootFolder() const;
    double AvailableSpace() const;
    double FreeSpace() const;
    double TotalSize() const;
    std::string VolumeName() const { return {}; }
    std::string ShareName() const { return {}; }
};

} // namespace vbscript::objects::files
