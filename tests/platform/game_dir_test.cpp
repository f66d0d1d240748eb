// The game-directory lookup against real folders: a Wine registry file, a
// package folder to start from, and Steam installations in a temporary HOME.
#include <gtest/gtest.h>

#include <string>

#include "platform/game_dir.h"
#include "support/game_folder.h"

namespace {

class GameDirTest : public test::GameFolderTest {
protected:
    void WriteSystemReg(const std::string& body) {
        test::WriteBytes(root_ / "wine" / "system.reg",
                         "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + body);
    }

    static std::string Key(const std::string& key, const std::string& values) {
        return "[" + key + "] 1700000000\n#time=1d9a2b3c4d5e6f7\n" + values + "\n";
    }

    // A Half-Life folder inside a Steam library.
    fs::path SteamGame(const fs::path& library) {
        fs::path dir = library / "steamapps" / "common" / "Half-Life";
        fs::create_directories(dir);
        return dir;
    }
};

TEST_F(GameDirTest, ReadsTheValueOfTheHalfLifeKeyInTheWineRegistry) {
    WriteSystemReg(Key("Software\\\\Valve\\\\Steam", "\"directory\"=\"C:\\\\Wrong\"") +
                   Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE",
                       "\"Other\"=\"x\"\n\"directory\"=\"C:\\\\Games\\\\Half-Life\"\n\"Language\"=\"English\""));
    EXPECT_EQ("C:\\Games\\Half-Life", platform::RegistryGameDirectory());
    EXPECT_EQ("C:\\Games\\Half-Life", platform::FindGameDirectory()) << "the registry comes first";
}

TEST_F(GameDirTest, KeyAndValueNamesMatchIgnoringCaseAndEscapesAreUndone) {
    WriteSystemReg(Key("software\\\\SIERRA ONLINE\\\\setup\\\\HalfLife",
                       "\"DIRECTORY\"=str(2):\"D:\\\\Spiele\\\\Half \\\"Life\\\"\\x00e9\""));
    EXPECT_EQ("D:\\Spiele\\Half \"Life\"\xc3\xa9", platform::RegistryGameDirectory());
}

TEST_F(GameDirTest, FindsTheKeyOfA32BitInstallerOnA64BitPrefix) {
    WriteSystemReg(Key("Software\\\\Wow6432Node\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE",
                       "\"directory\"=\"C:\\\\Sierra\\\\Half-Life\""));
    EXPECT_EQ("C:\\Sierra\\Half-Life", platform::RegistryGameDirectory());
}

TEST_F(GameDirTest, AValueThatDoesNotFit256BytesIsMissingNotCut) {
    std::string fits = "C:\\" + std::string(252, 'a');  // 255 characters
    WriteSystemReg(
        Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\" + std::string(252, 'a') + "\""));
    EXPECT_EQ(fits, platform::RegistryGameDirectory());

    WriteSystemReg(
        Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\" + std::string(253, 'a') + "\""));
    EXPECT_EQ("", platform::RegistryGameDirectory());
    fs::path steam = SteamGame(root_ / ".local/share/Steam");
    EXPECT_EQ(steam.string(), platform::FindGameDirectory()) << "the lookup goes on as if there were no value";
}

TEST_F(GameDirTest, WithoutAValueTheFolderAboveThePackageFolderIsTheGame) {
    WriteSystemReg(Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"Language\"=\"English\""));
    SteamGame(root_ / ".local/share/Steam");
    test::WriteBytes(game_ / "Veldrin" / "VeldrinIns.INI", "Counter-Strike\ncstrike\nmp\n");

    fs::current_path(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), platform::FindGameDirectory()) << "before Steam";
    EXPECT_EQ(game_.string(), platform::GameDirectoryAbovePackage((game_ / "Veldrin").string() + "/"));

    fs::current_path(game_);
    EXPECT_NE(game_.string(), platform::FindGameDirectory()) << "the game folder itself is no package folder";
}

TEST_F(GameDirTest, OnlyAPackageFolderTheInstallerCanReachCounts) {
    // A folder holding a catalogue but not named as the package folder is:
    // the installer's paths would miss the catalogue from its parent.
    test::WriteBytes(game_ / "Veldrin-1.3" / "veldrinins.ini", "x\ny\nz\n");
    EXPECT_EQ("", platform::GameDirectoryAbovePackage((game_ / "Veldrin-1.3").string()));
    // The package folder without its catalogue.
    EXPECT_EQ("", platform::GameDirectoryAbovePackage((game_ / "Veldrin").string()));
    test::WriteBytes(game_ / "veldrin" / "veldrinins.ini", "x\ny\nz\n");
    fs::remove_all(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), platform::GameDirectoryAbovePackage((game_ / "veldrin").string()));
}

TEST_F(GameDirTest, FallsBackToSteamAndItsLibraryFolders) {
    EXPECT_EQ("", platform::FindGameDirectory()) << "nothing at all";

    fs::path library = root_ / "games" / "SteamLibrary";
    fs::path inLibrary = SteamGame(library);
    test::WriteBytes(root_ / ".steam/steam/steamapps/libraryfolders.vdf",
                     "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + (root_ / ".steam/steam").string() +
                         "\"\n\t\t\"label\"\t\t\"\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                         "\"\n\t}\n}\n");
    EXPECT_EQ(inLibrary.string(), platform::SteamGameDirectory());

    fs::path inHome = SteamGame(root_ / ".steam/steam");
    EXPECT_EQ(inHome.string(), platform::FindGameDirectory()) << "the installation's own folder first";
}

TEST_F(GameDirTest, ReadsTheOlderLibraryListWithNumberedEntries) {
    fs::path library = root_ / "old library";
    fs::path inLibrary = SteamGame(library);
    test::WriteBytes(root_ / ".local/share/Steam/steamapps/libraryfolders.vdf",
                     "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"1\"\t\t\"" +
                         library.string() + "\"\n}\n");
    EXPECT_EQ(inLibrary.string(), platform::FindGameDirectory());
}

TEST_F(GameDirTest, ALibraryPathHoldingANulByteNamesNoFolder) {
    // Cut at its NUL, the first entry would name a real library.
    fs::path library = root_ / "lib";
    SteamGame(library);
    std::string cut = library.string() + std::string("\0/elsewhere", 11);
    test::WriteBytes(root_ / ".steam/steam/steamapps/libraryfolders.vdf",
                     "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + cut + "\"\n\t}\n}\n");
    EXPECT_EQ("", platform::SteamGameDirectory());
}

}  // namespace
