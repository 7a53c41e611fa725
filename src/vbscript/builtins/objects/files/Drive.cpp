#include "Drive.h"

#include "Folder.h"

#include <filesystem>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

namespace {

fs::space_info rootSpace()
{
    std::error_code ec;
    fs::space_info info = fs::space("/", ec);
    if (ec)
        return fs::space_info{0, 0, 0};
    return info;
}

} // namespace

const vb::MemberTable<Drive>& Drive::members()
{
    static const vb::MemberTable<Drive> table("Drive", {
        vb::get<&Drive::Path>("Path", vb::kDefault),
        vb::get<&Drive::AvailableSpace>("AvailableSpace"),
        vb::get<&Drive::DriveLetter>("DriveLetter"),
        vb::get<&Drive::DriveType>("DriveType"),
        vb::get<&Drive::FreeSpace>("FreeSpace"),
        vb::get<&Drive::IsReady>("IsReady"),
        vb::get<&Drive::RootFolder>("RootFolder"),
        vb::get<&Drive::ShareName>("ShareName"),
        vb::get<&Drive::TotalSize>("TotalSize"),
        vb::get<&Drive::VolumeName>("VolumeName"),
    });
    return table;
}

vb::Variant Drive::RootFolder() const
{
    return folderObject("/");
}

double Drive::AvailableSpace() const
{
    return static_cast<double>(rootSpace().available);
}

double Drive::FreeSpace() const
{
    return static_cast<double>(rootSpace().free);
}

double Drive::TotalSize() const
{
    return static_cast<double>(rootSpace().capacity);
}

} // namespace vbscript::objects::files
