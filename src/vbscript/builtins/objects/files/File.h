// File: one file on disk, as GetFile and the Files collection return it. Path is the
// default member.
#pragma once

#include "automation/MemberTable.h"

#include <filesystem>

namespace vbscript::objects::files {

class File final : public vb::Dispatch<File> {
public:
    static const vb::MemberTable<File>& members();

    explicit File(std::filesystem::path path) : path_(std::move(path)) { }

    std::string Name() const;
    // Renames the file in its folder; 58 when the name is taken.
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
    vb::Variant ParentFolder() const;
    // Copy/Move to a file name, or into a folder when the destination ends with a separator.
    void Copy(const std::string& destination, vb::Optional<bool> overwrite);
    void Move(const std::string& destination);
    void Delete(vb::Optional<bool> force);
    vb::Variant OpenAsTextStream(vb::Optional<std::int32_t> mode, vb::Optional<std::int32_t> format);

    const std::filesystem::path& path() const { return path_; }

private:
    void requireExists() const;

    std::filesystem::path path_;
};

vb::Variant fileObject(const std::filesystem::path& path);

// Where a Copy or Move of `source` to the script's `destination` goes: into the folder
// when the destination ends with a separator, else the destination itself.
std::filesystem::path destinationFor(const std::filesystem::path& source, std::string_view destination);

} // namespace vbscript::objects::files
