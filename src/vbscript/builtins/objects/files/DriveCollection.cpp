#include "DriveCollection.h"

#include "Drive.h"
#include "FilePaths.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include <cctype>

namespace vbscript::objects::files {

namespace {

constexpr std::int32_t kDeviceUnavailable = 68;

} // namespace

bool namesTheDrive(std::string_view fileSpec)
{
    if (fileSpec == "/" || fileSpec == "\\")
        return true;
    if (fileSpec.empty() || !std::isalpha(static_cast<unsigned char>(fileSpec[0])))
        return false;
    if (fileSpec.size() == 1)
        return true;
    return fileSpec[1] == ':' && (fileSpec.size() == 2 || (fileSpec.size() == 3 && isSeparator(fileSpec[2])));
}

const vb::MemberTable<DriveCollection>& DriveCollection::members()
{
    static const vb::MemberTable<DriveCollection> table("Drives", {
        vb::get<&DriveCollection::Count>("Count"),
        vb::get<&DriveCollection::Item>("Item", vb::kDefault),
    });
    return table;
}

vb::Variant DriveCollection::Item(const std::string& name) const
{
    if (!namesTheDrive(name))
        vb::raiseError(kDeviceUnavailable);
    return itemAt(0);
}

vb::Variant DriveCollection::itemAt(std::size_t) const
{
    return objectValue(vb::make<Drive>());
}

std::unique_ptr<vb::Enumerator> DriveCollection::enumerate()
{
    return std::make_unique<ListEnumerator<DriveCollection>>(vb::Ref<DriveCollection>(this));
}

} // namespace vbscript::objects::files
