// Folder: one folder on disk, as GetFolder, ParentFolder and the Folders collection
// return it. Path is the default member.
#pragma once

#include "automation/MemberTable.h"

#include <filesystem>

namespace vbscript::objects::files {

class Folder final : public vb::Dispatch<Folder> {
public:
    static const vb::MemberTable<Folder>& members();

    explicit Folder(std::filesystem::path path) : path_(std::move(path)) { }

    std::string Name() const;
    void LetName(const std::string& name);
    std::string Path() const { return path_.string(); }
    vb::Variant Size() const;
    std::string Type() const;
    std::int32_t Attributes() const;
    void LetAttributes(std::int32_t attributes);
    vb::Date DateCreated() const;
    vb::Date DateLastModified() const;
    vb::Date DateLastAccessed() const;
    vb::Variant Drive() const;
    // Nothing for the root folder.
    vb::Variant ParentFolder() const;
    bool IsRootFolder() const;
    vb::Variant Files() const;
    vb::Variant SubFolders() const;
    void Copy(const std::string& destination, vb::Optional<bool> overwrite);
    void Move(const std::string& destination);
    void Delete(vb::Optional<bool> force);
    vb::Variant CreateTextFile(const std::string& name, vb::Optional<bool> overwrite, vb::Optional<bool> unicode);

private:
    std::filesystem::path path_;
};

vb::Variant folderObject(const std::filesystem::path& path);

} // namespace vbscript::objects::files
