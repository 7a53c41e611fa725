#include "Folder.h"

#include "Drive.h"
#include "File.h"
#include "FileCollection.h"
#include "FileEntries.h"
#include "FilePaths.h"
#include "FolderCollection.h"
#include "TextStream.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include "automation/Error.h"

namespace vbscript::objects::files {

namespace fs = std::filesystem;

const vb::MemberTable<Folder>& Folder::members()
{
    static const vb::MemberTable<Folder> table("Folder", {
        vb::get<&Folder::Path>("Path", vb::kDefault),
        vb::get<&Folder::Name>("Name"),
        vb::let<&Folder::LetName>("Name"),
        vb::get<&Folder::Name>("ShortName"),
        vb::get<&Folder::Path>("ShortPath"),
        vb::get<&Folder::Size>("Size"),
        vb::get<&Folder::Type>("Type"),
        vb::get<&Folder::Attributes>("Attributes"),
        vb::let<&Folder::LetAttributes>("Attributes"),
        vb::get<&Folder::DateCreated>("DateCreated"),
        vb::get<&Folder::DateLastModified>("DateLastModified"),
        vb::get<&Folder::DateLastAccessed>("DateLastAccessed"),
        vb::get<&Folder::Drive>("Drive"),
        vb::get<&Folder::ParentFolder>("ParentFolder"),
        vb::get<&Folder::IsRootFolder>("IsRootFolder"),
        vb::raw<Folder>("Files", vb::Get, &collectionProperty<Folder, &Folder::Files>),
        vb::raw<Folder>("SubFolders", vb::Get, &collectionProperty<Folder, &Folder::SubFolders>),
        vb::method<&Folder::Copy>("Copy"),
        vb::method<&Folder::Move>("Move"),
        vb::method<&Folder::Delete>("Delete"),
        vb::method<&Folder::CreateTextFile>("CreateTextFile"),
    });
    return table;
}

vb::Variant folderObject(const fs::path& path)
{
    return objectValue(vb::make<Folder>(path));
}

std::string Folder::Name() const
{
    return IsRootFolder() ? std::string() : path_.filename().string();
}

void Folder::LetName(const std::string& name)
{
    if (name.empty() || name.find_first_of("/\\") != std::string::npos || IsRootFolder())
        vb::raiseError(vb::err::InvalidProcedureCall);
    const fs::path renamed = path_.parent_path() / name;
    moveEntry(path_, renamed, vb::err::PathNotFound);
    path_ = renamed;
}

vb::Variant Folder::Size() const
{
    return sizeValue(folderSize(path_));
}

std::string Folder::Type() const
{
    return typeText(path_, true);
}

std::int32_t Folder::Attributes() const
{
    return attributesOf(path_);
}

void Folder::LetAttributes(std::int32_t attributes)
{
    setAttributes(path_, attributes);
}

vb::Date Folder::DateCreated() const
{
    return modifiedDate(path_, vb::err::PathNotFound);
}

vb::Date Folder::DateLastModified() const
{
    return modifiedDate(path_, vb::err::PathNotFound);
}

vb::Date Folder::DateLastAccessed() const
{
    return modifiedDate(path_, vb::err::PathNotFound);
}

vb::Variant Folder::Drive() const
{
    return objectValue(vb::make<files::Drive>());
}

bool Folder::IsRootFolder() const
{
    return path_ == path_.root_path();
}

vb::Variant Folder::ParentFolder() const
{
    if (IsRootFolder())
        return vb::Variant::nothing();
    return folderObject(path_.parent_path());
}

vb::Variant Folder::Files() const
{
    return objectValue(vb::make<FileCollection>(path_));
}

vb::Variant Folder::SubFolders() const
{
    return objectValue(vb::make<FolderCollection>(path_));
}

void Folder::Copy(const std::string& destination, vb::Optional<bool> overwrite)
{
    copyFolder(path_, destinationFor(path_, destination), overwrite.value_or(true));
}

void Folder::Move(const std::string& destination)
{
    const fs::path target = destinationFor(path_, destination);
    moveEntry(path_, target, vb::err::PathNotFound);
    path_ = absoluteHostPath(target);
}

void Folder::Delete(vb::Optional<bool> force)
{
    deleteFolder(path_, force.value_or(false));
}

vb::Variant Folder::CreateTextFile(const std::string& name, vb::Optional<bool> overwrite, vb::Optional<bool> unicode)
{
    const fs::path target = path_ / hostPath(name);
    std::error_code ec;
    if (fs::exists(target, ec) && !overwrite.value_or(false))
        vb::raiseError(vb::err::FileAlreadyExists);
    const auto format = unicode.value_or(false) ? TextStream::Format::Unicode : TextStream::Format::Ascii;
    return objectValue(TextStream::open(target, TextStream::Mode::Writing, format, true));
}

} // namespace vbscript::objects::files
