#include "FileCollection.h"

#include "File.h"
#include "FilePaths.h"

#include "vbscript/builtins/objects/ObjectSupport.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <algorithm>

namespace vbscript::objects::files {

namespace fs = std::filesystem;

std::vector<fs::path> folderEntries(const fs::path& folder, bool folders)
{
    std::vector<fs::path> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError) == folders)
            entries.push_back(it->path());
    }
    if (ec)
        raiseFileError(ec, vb::err::PathNotFound);
    std::sort(entries.begin(), entries.end(), [](const fs::path& a, const fs::path& b) {
        return vb::compareText(a.filename().string(), b.filename().string()) < 0;
    });
    return entries;
}

const vb::MemberTable<FileCollection>& FileCollection::members()
{
    static const vb::MemberTable<FileCollection> table("Files", {
        vb::get<&FileCollection::Count>("Count"),
        vb::get<&FileCollection::Item>("Item", vb::kDefault),
    });
    return table;
}

FileCollection::FileCollection(const fs::path& folder) : entries_(folderEntries(folder, false)) { }

vb::Variant FileCollection::Item(const std::string& name) const
{
    for (const fs::path& p : entries_) {
        if (vb::equalsIgnoreCase(p.filename().string(), name))
            return fileObject(p);
    }
    vb::raiseError(vb::err::FileNotFound);
}

vb::Variant FileCollection::itemAt(std::size_t i) const
{
    return fileObject(entries_[i]);
}

std::unique_ptr<vb::Enumerator> FileCollection::enumerate()
{
    return std::make_unique<ListEnumerator<FileCollection>>(vb::Ref<FileCollection>(this));
}

} // namespace vbscript::objects::files
