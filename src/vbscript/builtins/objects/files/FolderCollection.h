// Folders: the subfolders of a folder, by name (without regard to case) and in name
// order for "For Each"; Add creates a new subfolder.
#pragma once

#include "automation/MemberTable.h"

#include <filesystem>
#include <vector>

namespace vbscript::objects::files {

class FolderCollection final : public vb::Dispatch<FolderCollection> {
public:
    static const vb::MemberTable<FolderCollection>& members();

    explicit FolderCollection(std::filesystem::path folder);

    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    // 76 when there is no such subfolder.
    vb::Variant Item(const std::string& name) const;
    // 58 when the name is taken.
    vb::Variant Add(const std::string& name);

    std::size_t size() const { return entries_.size(); }
    vb::Variant itemAt(std::size_t i) const;
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> entries_;
};

} // namespace vbscript::objects::files
