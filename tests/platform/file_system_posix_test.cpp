// What only the POSIX file layer does: it reaches Windows paths on a
// case-sensitive file system and through the Wine prefix, and orders search
// results itself.
#include "platform/file_system.h"

#include "support/game_folder.h"

using test::ReadBytes;
using test::WriteBytes;

namespace {

class PosixFileSystemTest : public test::GameFolderTest {};

TEST_F(PosixFileSystemTest, WindowsPathsResolveToTheFileOnDisk) {
    WriteBytes(Game("CStrike/Dlls/MP.dll"), "mp");
    std::string path = std::string(g_szGameDir) + "\\cstrike\\dlls\\mp.DLL";
    EXPECT_EQ(Game("CStrike/Dlls/MP.dll").string(), platform::ResolvePath(path.c_str()));
}

TEST_F(PosixFileSystemTest, ExactMatchWinsThenFirstInByteOrder) {
    WriteBytes(Game("Mod/a.txt"), "Mod");
    WriteBytes(Game("mod/a.txt"), "mod");
    WriteBytes(Game("MOD/a.txt"), "MOD");
    auto resolve = [&](const char* folder) {
        return platform::ResolvePath((std::string(g_szGameDir) + "\\" + folder + "\\a.txt").c_str());
    };
    EXPECT_EQ(Game("mod/a.txt").string(), resolve("mod"));
    EXPECT_EQ(Game("Mod/a.txt").string(), resolve("Mod"));
    // No exact match: "MOD" < "Mod" < "mod" in byte order.
    EXPECT_EQ(Game("MOD/a.txt").string(), resolve("mOd"));
}

TEST_F(PosixFileSystemTest, MissingComponentsKeepTheirSpelling) {
    fs::create_directories(Game("Valve"));
    std::string path = std::string(g_szGameDir) + "\\VALVE\\New\\File.TXT";
    EXPECT_EQ(Game("Valve/New/File.TXT").string(), platform::ResolvePath(path.c_str()));
}

TEST_F(PosixFileSystemTest, DriveLetterGoesThroughTheWinePrefix) {
    fs::create_directories(root_ / "wine/drive_c/Games/Half-Life");
    fs::create_directories(root_ / "wine/dosdevices");
    fs::create_symlink("../drive_c", root_ / "wine/dosdevices/c:");
    WriteBytes(root_ / "wine/drive_c/Games/Half-Life/Veldrin/veldrinins.ini", "x");
    EXPECT_TRUE(platform::PathExists("C:\\games\\half-life\\veldrin\\VELDRININS.INI"));
    EXPECT_TRUE(platform::PathExists("c:/Games/Half-Life/Veldrin/veldrinins.ini"));
    EXPECT_FALSE(platform::PathExists("D:\\Games"));
}

TEST_F(PosixFileSystemTest, RelativePathsStartInTheWorkingDirectory) {
    WriteBytes(root_ / "Veldrin.LOG", "x");
    EXPECT_EQ("Veldrin.LOG", platform::ResolvePath("veldrin.log"));
    EXPECT_EQ("sub/new.txt", platform::ResolvePath("sub\\new.txt"));
}

TEST_F(PosixFileSystemTest, SearchComesInByteOrderIgnoringCaseAndMatchesLongNamesOnly) {
    for (const char* name : {"b.vwp", "A.VWP", "c.Vwp", "a.vwpx", "notes.txt", "x.vwp.bak"})
        WriteBytes(Game("Veldrin/cstrike/") / name, name);
    std::string pattern = std::string(g_szGameDir) + "\\veldrin\\CSTRIKE\\*.vwp";
    EXPECT_EQ((std::vector<std::string>{"A.VWP", "b.vwp", "c.Vwp"}), test::SearchNames(pattern));
}

TEST_F(PosixFileSystemTest, ANewFileKeepsTheTargetsPermissionBits) {
    WriteBytes(root_ / "Target", "old");
    fs::permissions(root_ / "Target", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    auto file = platform::NewFile::Beside((root_ / "TARGET").c_str());
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Commit(false));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(root_ / "Target").permissions());
}

// Following links, a new file replaces the file a link, or a chain of them,
// finally reaches, made beside that file, and the links stay; a file set
// aside so is moved beside itself. A link to nothing, or to no file, is
// refused. Without following, the link itself is replaced by a plain file.
TEST_F(PosixFileSystemTest, AFollowedLinkStaysALink) {
    using platform::LinkAtTarget;
    WriteBytes(root_ / "shared" / "liblist.gam", "shared");
    fs::create_directories(root_ / "chain");
    fs::create_directories(root_ / "mod");
    fs::create_symlink(root_ / "shared" / "liblist.gam", root_ / "chain" / "liblist.gam");
    fs::create_symlink("../chain/liblist.gam", root_ / "mod" / "liblist.gam");
    const std::string target = (root_ / "MOD" / "LibList.gam").string();
    auto file = platform::NewFile::Beside(target.c_str(), LinkAtTarget::Follow);
    ASSERT_TRUE(file);
    EXPECT_EQ(fs::canonical(root_ / "shared"), fs::path(file->TempPath()).parent_path());
    EXPECT_TRUE(file->Write("new", 3));
    EXPECT_TRUE(file->Commit(true));
    EXPECT_TRUE(fs::is_symlink(root_ / "mod" / "liblist.gam"));
    EXPECT_TRUE(fs::is_symlink(root_ / "chain" / "liblist.gam"));
    EXPECT_EQ("new", ReadBytes(root_ / "shared" / "liblist.gam"));
    EXPECT_FALSE(test::TempFilesLeft(root_));

    auto aside = platform::SetAside::Move(target.c_str(), LinkAtTarget::Follow);
    ASSERT_TRUE(aside);
    EXPECT_FALSE(fs::exists(root_ / "shared" / "liblist.gam"));
    EXPECT_TRUE(fs::is_symlink(root_ / "mod" / "liblist.gam"));
    EXPECT_TRUE(aside->Restore());
    EXPECT_EQ("new", ReadBytes(root_ / "mod" / "liblist.gam"));

    fs::create_symlink("missing.gam", root_ / "mod" / "dangling.gam");
    fs::create_symlink("/dev/null", root_ / "mod" / "device.gam");
    for (const char* name : {"dangling.gam", "device.gam"}) {
        const std::string link = (root_ / "mod" / name).string();
        EXPECT_FALSE(platform::NewFile::Beside(link.c_str(), LinkAtTarget::Follow)) << name;
        EXPECT_FALSE(platform::SetAside::Move(link.c_str(), LinkAtTarget::Follow)) << name;
        EXPECT_TRUE(fs::is_symlink(root_ / "mod" / name)) << name;
    }
    EXPECT_EQ("it is a link to something that is not a file", platform::LastFailure().reason);
    EXPECT_FALSE(platform::NewFile::Beside((root_ / "mod" / "dangling.gam").c_str(), LinkAtTarget::Follow));
    EXPECT_EQ("it is a link to a missing file", platform::LastFailure().reason);

    file = platform::NewFile::Beside(target.c_str());
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->Commit(false));
    EXPECT_FALSE(fs::is_symlink(root_ / "mod" / "liblist.gam"));
    EXPECT_EQ("", ReadBytes(root_ / "mod" / "liblist.gam"));
    EXPECT_EQ("new", ReadBytes(root_ / "shared" / "liblist.gam"));
}

}  // namespace
