#include "LibraryTestSupport.h"

#include "support/TempFolder.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"

#include <filesystem>

using namespace library_test;
using testing_support::TempFolder;
using vb::Variant;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    vb::Ref<vb::Object> fso = vbscript::createObjectByProgId(context().library(), "Scripting.FileSystemObject");
    TempFolder temp;

    template <class... V>
    Variant fs(std::string_view member, V&&... values)
    {
        return vb::call(*fso, member, std::forward<V>(values)...);
    }
    std::string path(const std::string& name) const { return temp / name; }
    // The same path written the Windows way, with a drive letter and backslashes.
    std::string windowsPath(const std::string& name) const
    {
        std::string p = "C:" + temp.path() + "/" + name;
        for (char& c : p)
            if (c == '/')
                c = '\\';
        return p;
    }
};

std::vector<std::string> names(const Variant& collection)
{
    std::vector<std::string> out;
    auto walk = vb::requireObject(collection).enumerate();
    Variant item;
    while (walk->next(item))
        out.push_back(vb::getProperty(vb::requireObject(item), "Name").stringValue());
    return out;
}

using Strings = std::vector<std::string>;

} // namespace

TEST_F(FileSystemTest, PathTextHelpers)
{
    EXPECT_EQ("b.txt", fs("GetFileName", "c:\\a\\b.txt").stringValue());
    EXPECT_EQ("b.txt", fs("GetFileName", "/a/b.txt").stringValue());
    EXPECT_EQ("a", fs("GetFileName", "c:\\a\\").stringValue());
    EXPECT_EQ("b.tar", fs("GetBaseName", "c:\\a\\b.tar.gz").stringValue());
    EXPECT_EQ("gz", fs("GetExtensionName", "c:\\a\\b.tar.gz").stringValue());
    EXPECT_EQ("", fs("GetExtensionName", "c:\\a\\b").stringValue());
    EXPECT_EQ("c:\\a", fs("GetParentFolderName", "c:\\a\\b.txt").stringValue());
    EXPECT_EQ("c:\\", fs("GetParentFolderName", "c:\\a").stringValue());
    EXPECT_EQ("/", fs("GetParentFolderName", "/a").stringValue());
    EXPECT_EQ("", fs("GetParentFolderName", "a").stringValue());
    EXPECT_EQ("c:", fs("GetDriveName", "c:\\a").stringValue());
    EXPECT_EQ("\\\\server\\share", fs("GetDriveName", "\\\\server\\share\\x").stringValue());
    EXPECT_EQ("", fs("GetDriveName", "/a").stringValue());
    EXPECT_EQ("c:\\a\\b", fs("BuildPath", "c:\\a", "b").stringValue());
    EXPECT_EQ("c:\\a\\b", fs("BuildPath", "c:\\a\\", "b").stringValue());
    EXPECT_EQ("/a/b", fs("BuildPath", "/a", "b").stringValue());
    EXPECT_EQ("/a/c", fs("GetAbsolutePathName", "/a/b/../c").stringValue());
    EXPECT_EQ(temp.path() + "/x", fs("GetAbsolutePathName", windowsPath("x")).stringValue());
    const std::string tempName = fs("GetTempName").stringValue();
    EXPECT_EQ(12u, tempName.size());
    EXPECT_TRUE(tempName.starts_with("rad") && tempName.ends_with(".tmp"));
}

TEST_F(FileSystemTest, ExistenceWithWindowsPathsAndCase)
{
    temp.write("Data/Settings.ini", "x");
    EXPECT_TRUE(fs("FileExists", path("Data/Settings.ini")).booleanValue());
    EXPECT_TRUE(fs("FileExists", windowsPath("data\\SETTINGS.INI")).booleanValue());
    EXPECT_FALSE(fs("FileExists", path("Data")).booleanValue());
    EXPECT_TRUE(fs("FolderExists", windowsPath("DATA")).booleanValue());
    EXPECT_FALSE(fs("FolderExists", path("Data/Settings.ini")).booleanValue());
    EXPECT_FALSE(fs("FileExists", "").booleanValue());
    EXPECT_TRUE(fs("DriveExists", "C:").booleanValue());
    EXPECT_TRUE(fs("DriveExists", "c:\\").booleanValue());
    EXPECT_TRUE(fs("DriveExists", "/").booleanValue());
    EXPECT_FALSE(fs("DriveExists", "\\\\server\\share").booleanValue());
    EXPECT_EQ("/", vb::CStr(fs("GetDrive", "C:")));
    EXPECT_VB_ERROR(68, fs("GetDrive", "nowhere"));
    const Variant drives = fs("Drives");
    EXPECT_EQ(1, vb::getProperty(vb::requireObject(drives), "Count").longValue());
    auto walk = vb::requireObject(drives).enumerate();
    Variant drive;
    ASSERT_TRUE(walk->next(drive));
    EXPECT_TRUE(vb::getProperty(vb::requireObject(drive), "IsReady").booleanValue());
    EXPECT_EQ("/", vb::CStr(vb::getProperty(vb::requireObject(drive), "RootFolder")));
    EXPECT_FALSE(walk->next(drive));
}

TEST_F(FileSystemTest, FileObject)
{
    temp.write("notes.txt", "hello");
    const Variant file = fs("GetFile", windowsPath("NOTES.TXT"));
    vb::Object& f = vb::requireObject(file);
    EXPECT_EQ("File", f.typeName());
    EXPECT_EQ("notes.txt", vb::getProperty(f, "Name").stringValue());
    EXPECT_EQ(path("notes.txt"), vb::getProperty(f, "Path").stringValue());
    EXPECT_EQ(path("notes.txt"), vb::CStr(file)); // Path is the default member
    EXPECT_EQ(5, vb::getProperty(f, "Size").longValue());
    EXPECT_EQ("TXT File", vb::getProperty(f, "Type").stringValue());
    EXPECT_EQ(32, vb::getProperty(f, "Attributes").longValue());
    const double modified = vb::getProperty(f, "DateLastModified").dateValue().serial;
    EXPECT_NEAR(vb::now().serial, modified, 1.0 / 24);
    EXPECT_EQ(temp.path(), vb::CStr(vb::getProperty(f, "ParentFolder")));

    vb::setProperty(f, "Attributes", std::int16_t(1));
    EXPECT_EQ(33, vb::getProperty(f, "Attributes").longValue());
    EXPECT_VB_ERROR(70, vb::call(f, "Delete"));
    vb::setProperty(f, "Attributes", std::int16_t(0));

    vb::setProperty(f, "Name", "renamed.txt");
    EXPECT_TRUE(temp.exists("renamed.txt"));
    EXPECT_EQ(path("renamed.txt"), vb::CStr(file));
    vb::call(f, "Copy", path("copy.txt"));
    EXPECT_EQ("hello", temp.read("copy.txt"));
    EXPECT_VB_ERROR(58, vb::call(f, "Copy", path("copy.txt"), false));
    std::filesystem::create_directory(path("sub"));
    vb::call(f, "Move", windowsPath("sub\\"));
    EXPECT_TRUE(temp.exists("sub/renamed.txt"));
    vb::call(f, "Delete");
    EXPECT_FALSE(temp.exists("sub/renamed.txt"));
    EXPECT_VB_ERROR(53, vb::getProperty(f, "Size"));
    EXPECT_VB_ERROR(53, fs("GetFile", path("missing.txt")));
}

TEST_F(FileSystemTest, FolderObjectAndCollections)
{
    temp.write("box/b.txt", "bb");
    temp.write("box/A.txt", "a");
    temp.write("box/inner/c.txt", "ccc");
    std::filesystem::create_directory(path("box/Zed"));
    const Variant folder = fs("GetFolder", path("box"));
    vb::Object& f = vb::requireObject(folder);
    EXPECT_EQ("box", vb::getProperty(f, "Name").stringValue());
    EXPECT_EQ(6, vb::getProperty(f, "Size").longValue());
    EXPECT_EQ(16, vb::getProperty(f, "Attributes").longValue() & 16);
    EXPECT_FALSE(vb::getProperty(f, "IsRootFolder").booleanValue());
    EXPECT_EQ("File folder", vb::getProperty(f, "Type").stringValue());

    const Variant files = vb::getProperty(f, "Files");
    EXPECT_EQ(2, vb::getProperty(vb::requireObject(files), "Count").longValue());
    EXPECT_EQ((Strings{"A.txt", "b.txt"}), names(files));
    EXPECT_EQ(path("box/b.txt"), vb::CStr(vb::call(vb::requireObject(files), "Item", "B.TXT")));
    EXPECT_VB_ERROR(53, vb::call(vb::requireObject(files), "Item", "nope.txt"));
    EXPECT_EQ(path("box/A.txt"), vb::CStr(vb::call(f, "Files", "a.TXT"))); // folder.Files(name)
    EXPECT_EQ(path("box/inner"), vb::CStr(vb::call(f, "SubFolders", "INNER")));

    const Variant folders = vb::getProperty(f, "SubFolders");
    EXPECT_EQ((Strings{"inner", "Zed"}), names(folders));
    EXPECT_VB_ERROR(76, vb::call(vb::requireObject(folders), "Item", "nope"));
    vb::call(vb::requireObject(folders), "Add", "new");
    EXPECT_TRUE(std::filesystem::is_directory(path("box/new")));
    EXPECT_VB_ERROR(58, vb::call(vb::requireObject(folders), "Add", "new"));

    const Variant root = fs("GetFolder", "/");
    EXPECT_TRUE(vb::getProperty(vb::requireObject(root), "IsRootFolder").booleanValue());
    EXPECT_TRUE(vb::getProperty(vb::requireObject(root), "ParentFolder").isNothing());
    EXPECT_VB_ERROR(76, fs("GetFolder", path("nowhere")));
    const Variant special = fs("GetSpecialFolder", std::int16_t(2));
    EXPECT_TRUE(std::filesystem::is_directory(vb::CStr(special)));
    EXPECT_VB_ERROR(5, fs("GetSpecialFolder", std::int16_t(3)));
}

TEST_F(FileSystemTest, CreateCopyMoveDelete)
{
    const Variant created = fs("CreateFolder", windowsPath("made"));
    EXPECT_EQ(path("made"), vb::CStr(created));
    EXPECT_VB_ERROR(58, fs("CreateFolder", path("made")));
    EXPECT_VB_ERROR(76, fs("CreateFolder", path("no/such/parent")));

    temp.write("one.log", "1");
    temp.write("two.log", "2");
    temp.write("keep.txt", "k");
    fs("CopyFile", windowsPath("*.LOG"), path("made"));
    EXPECT_EQ("1", temp.read("made/one.log"));
    EXPECT_EQ("2", temp.read("made/two.log"));
    EXPECT_VB_ERROR(58, fs("CopyFile", path("one.log"), path("made/one.log"), false));
    fs("CopyFile", path("keep.txt"), path("made/one.log")); // overwrites by default
    EXPECT_EQ("k", temp.read("made/one.log"));
    EXPECT_VB_ERROR(70, fs("CopyFile", path("keep.txt"), path("made")));
    EXPECT_VB_ERROR(53, fs("CopyFile", path("*.none"), path("made/")));
    EXPECT_VB_ERROR(53, fs("CopyFile", path("missing"), path("x")));
    EXPECT_VB_ERROR(76, fs("CopyFile", path("keep.txt"), path("nofolder/")));

    fs("MoveFile", path("two.log"), path("moved.log"));
    EXPECT_FALSE(temp.exists("two.log"));
    EXPECT_EQ("2", temp.read("moved.log"));
    EXPECT_VB_ERROR(58, fs("MoveFile", path("moved.log"), path("keep.txt")));
    EXPECT_VB_ERROR(53, fs("MoveFile", path("two.log"), path("x.log")));

    fs("CopyFolder", path("made"), path("made2"));
    EXPECT_EQ("k", temp.read("made2/one.log"));
    EXPECT_VB_ERROR(58, fs("CopyFolder", path("made"), path("made2"), false));
    fs("MoveFolder", path("made2"), path("made3"));
    EXPECT_TRUE(temp.exists("made3/two.log"));
    EXPECT_FALSE(temp.exists("made2"));
    EXPECT_VB_ERROR(76, fs("MoveFolder", path("made2"), path("x")));

    fs("DeleteFile", path("*.log"));
    EXPECT_FALSE(temp.exists("one.log"));
    EXPECT_FALSE(temp.exists("moved.log"));
    EXPECT_TRUE(temp.exists("keep.txt"));
    EXPECT_VB_ERROR(53, fs("DeleteFile", path("*.log")));
    fs("DeleteFolder", windowsPath("MADE*"));
    EXPECT_FALSE(temp.exists("made"));
    EXPECT_FALSE(temp.exists("made3"));
    EXPECT_VB_ERROR(76, fs("DeleteFolder", path("made")));
}

TEST_F(FileSystemTest, ReadOnlyFilesNeedForce)
{
    temp.write("locked.txt", "x");
    vb::Ref<vb::Object> f = object(fs("GetFile", path("locked.txt")));
    vb::setProperty(*f, "Attributes", std::int16_t(1));
    EXPECT_VB_ERROR(70, fs("DeleteFile", path("locked.txt")));
    fs("DeleteFile", path("locked.txt"), true);
    EXPECT_FALSE(temp.exists("locked.txt"));
}
