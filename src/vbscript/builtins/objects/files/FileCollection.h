// Files: the files of a folder, by name (without regard to case) and in name order for
// "For Each". The list is taken when the collection is made.
#pragma once

#include "automation/MemberTable.h"

#include <filesystem>
#include <vector>

namespace vbscript::objects::files {

class FileCollection final : public vb::Dispatch<FileCollection> {
public:
    static const vb::MemberTable<FileCollection>& members();

    explicit FileCollection(const std::filesystem::path& folder);

    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    // 53 when the folder has no such file.
    vb::Variant Item(const std::string& name) const;

    std::size_t size() const { return entries_.size(); }
    vb::Variant itemAt(std::size_t i) const;
    std::unique_ptr<vb::Enumerator> enumerate() override;

private:
    std::vector<std::filesystem::path> entries_;
};

// The entries of a folder that are (or are not) folders, sorted by name without regard to case.
std::vector<std::filesystem::path> folderEntries(const std::filesystem::path& folder, bool folders);

} // namespace vbscript::objects::files
