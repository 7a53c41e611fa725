#include "FolderCollection.h"

#include "FileCollection.h"
#include "FilePaths.h"
#include "Folder.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

namespace vbscript::objects::files {

namespace fs = std::filesystem;

const vb::MemberTable<FolderCollection>& FolderCollection::members()
{
    static const vb::MemberTable<FolderCollection> table("Folders", {
        vb::get<&FolderCollection::Count>("Count"),
        vb::get<&FolderCollection::Item>("Item", vb::kDefault),
        vb::method<&FolderCollection::Add>("Add"),
    });
    return table;
}

FolderCollection::FolderCollection(fs::path folder) : folder_(std::move(folder)), entries_(folderEntries(folder_, true)) { }

vb::Variant FolderCollection::Item(const std::string& name) const
{
    for (const fs::path& p : entries_) {
        if (vb::equalsIgnoreCase(p.filename().string(), name))
            return folderObject(p);
    }
    vb::raiseError(vb::err::PathNotFound);
}

vb::Variant FolderCollection::Add(const std::string& name)
{
    if (name.empty() || name.find_first_of("/\\") != std::string::npos)
        vb::raiseError(vb::err::InvalidProcedureCall);
    const fs::path created = folder_ / name;
    std::error_code ec;
    if (fs::exists(created, ec))
        vb::raiseError(vb::err::FileAlreadyExists);
    fs::create_directory(created, ec);
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
    entries_.push_back(created);
    return folderObject(created);
}

vb::Variant FolderCollection::itemAt(std::size_t i) const
{
    return folderObject(entries_[i]);
}

std::unique_ptr<vb::Enumerator> FolderCollection::enumerate()
{
    return std::make_unique<ListEnumerator<FolderCollection>>(vb::Ref<FolderCollection>(this));
}

} // namespace vbscript::objects::files
