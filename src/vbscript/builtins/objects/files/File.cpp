#include "File.h"

#include "Drive.h"
#include "FileEntries.h"
#include "FilePaths.h"
#include "Folder.h"
#include "TextStream.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include "automation/Error.h"

namespace vbscript::objects::files {

namespace fs = std::filesystem;

const vb::MemberTable<File>& File::members()
{
    static const vb::MemberTable<File> table("File", {
        vb::get<&File::Path>("Path", vb::kDefault),
        vb::get<&File::Name>("Name"),
        vb::let<&File::LetName>("Name"),
        vb::get<&File::Name>("ShortName"),
        vb::get<&File::Path>("ShortPath"),
        vb::get<&File::Size>("Size"),
        vb::get<&File::Type>("Type"),
        vb::get<&File::Attributes>("Attributes"),
        vb::let<&File::LetAttributes>("Attributes"),
        vb::get<&File::DateCreated>("DateCreated"),
        vb::get<&File::DateLastModified>("DateLastModified"),
        vb::get<&File::DateLastAccessed>("DateLastAccessed"),
        vb::get<&File::Drive>("Drive"),
        vb::get<&File::ParentFolder>("ParentFolder"),
        vb::method<&File::Copy>("Copy"),
        vb::method<&File::Move>("Move"),
        vb::method<&File::Delete>("Delete"),
        vb::method<&File::OpenAsTextStream>("OpenAsTextStream"),
    });
    return table;
}

vb::Variant fileObject(const fs::path& path)
{
    return objectValue(vb::make<File>(path));
}

fs::path destinationFor(const fs::path& source, std::string_view destination)
{
    const fs::path target = hostPath(destination);
    if (endsWithSeparator(destination))
        return target / source.filename();
    return target;
}

void File::requireExists() const
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path_, ec)))
        vb::raiseError(vb::err::FileNotFound);
}

std::string File::Name() const
{
    return path_.filename().string();
}

void File::LetName(const std::string& name)
{
    if (name.empty() || name.find_first_of("/\\") != std::string::npos)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const fs::path renamed = path_.parent_path() / name;
    moveEntry(path_, renamed, vb::err::FileNotFound);
    path_ = renamed;
}

vb::Variant File::Size() const
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path_, ec);
    if (ec)
        raiseFileError(ec, vb::err::FileNotFound);
    return sizeValue(size);
}

std::string File::Type() const
{
    return typeText(path_, false);
}

std::int32_t File::Attributes() const
{
    return attributesOf(path_);
}

void File::LetAttributes(std::int32_t attributes)
{
    setAttributes(path_, attributes);
}

vb::Date File::DateCreated() const
{
    return modifiedDate(path_, vb::err::FileNotFound);
}

vb::Date File::DateLastModified() const
{
    return modifiedDate(path_, vb::err::FileNotFound);
}

vb::Date File::DateLastAccessed() const
{
    return modifiedDate(path_, vb::err::FileNotFound);
}

vb::Variant File::Drive() const
{
    return objectValue(vb::make<files::Drive>());
}

vb::Variant File::ParentFolder() const
{
    return folderObject(path_.parent_path());
}

void File::Copy(const std::string& destination, vb::Optional<bool> overwrite)
{
    copyFile(path_, destinationFor(path_, destination), overwrite.value_or(true));
}

void File::Move(const std::string& destination)
{
    const fs::path target = destinationFor(path_, destination);
    moveEntry(path_, target, vb::err::FileNotFound);
    path_ = absoluteHostPath(target);
}

void File::Delete(vb::Optional<bool> force)
{
    deleteFile(path_, force.value_or(false));
}

vb::Variant File::OpenAsTextStream(vb::Optional<std::int32_t> mode, vb::Optional<std::int32_t> format)
{
    requireExists();
    const std::int32_t m = mode.value_or(1);
    if (m != 1 && m != 2 && m != 8)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const std::int32_t f = format.value_or(0);
    if (f != 0 && f != -1 && f != -2)
        vb::raiseError(vb::err::InvalidProcedureCall);
    return objectValue(TextStream::open(path_, TextStream::Mode(m), TextStream::Format(f), false));
}

} // namespace vbscript::objects::files
