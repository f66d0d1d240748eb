// What only the POSIX file layer does: it reaches Windows paths on a
// case-sensitive file system and through the Wine prefix, and orders search
// results itself.
#include "platform/file_system.h"

#include "support/game_folder.h"

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

}  // namespace
