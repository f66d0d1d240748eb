// The game-directory lookup against real folders: a Wine registry file, a
// package folder to start from, and Steam installations in a temporary HOME.
#include <gtest/gtest.h>

#include <string>

#include "core/game_folder.h"
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
    EXPECT_EQ("C:\\Games\\Half-Life", test::FirstOf(platform::RegistryGameDirectories()));
    EXPECT_EQ("C:\\Games\\Half-Life", layout::FindGameDirectory()) << "the registry comes first";
}

TEST_F(GameDirTest, KeyAndValueNamesMatchIgnoringCaseAndEscapesAreUndone) {
    WriteSystemReg(Key("software\\\\SIERRA ONLINE\\\\setup\\\\HalfLife",
                       "\"DIRECTORY\"=str(2):\"D:\\\\Spiele\\\\Half \\\"Life\\\"\\x00e9\\xd83c\\xdfae\""));
    // A character beyond the first 65,536 is two UTF-16 units: one UTF-8 character.
    EXPECT_EQ("D:\\Spiele\\Half \"Life\"\xc3\xa9\xf0\x9f\x8e\xae", test::FirstOf(platform::RegistryGameDirectories()));
}

TEST_F(GameDirTest, FindsTheKeyOfA32BitInstallerOnA64BitPrefix) {
    WriteSystemReg(Key("Software\\\\Wow6432Node\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE",
                       "\"directory\"=\"C:\\\\Sierra\\\\Half-Life\""));
    EXPECT_EQ("C:\\Sierra\\Half-Life", test::FirstOf(platform::RegistryGameDirectories()));
}

TEST_F(GameDirTest, AValueThatDoesNotFit256BytesIsMissingNotCut) {
    std::string fits = "C:\\" + std::string(252, 'a');  // 255 characters
    WriteSystemReg(
        Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\" + std::string(252, 'a') + "\""));
    EXPECT_EQ(fits, test::FirstOf(platform::RegistryGameDirectories()));

    WriteSystemReg(
        Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\" + std::string(253, 'a') + "\""));
    EXPECT_EQ("", test::FirstOf(platform::RegistryGameDirectories()));
    fs::path steam = SteamGame(root_ / ".local/share/Steam");
    EXPECT_EQ(steam.string(), layout::FindGameDirectory()) << "the lookup goes on as if there were no value";
}

TEST_F(GameDirTest, WithoutAValueTheFolderAboveThePackageFolderIsTheGame) {
    WriteSystemReg(Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"Language\"=\"English\""));
    SteamGame(root_ / ".local/share/Steam");
    test::WriteBytes(game_ / "Veldrin" / "VeldrinIns.INI", "Counter-Strike\ncstrike\nmp\n");

    fs::current_path(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), layout::FindGameDirectory()) << "before Steam";
    EXPECT_EQ(game_.string(), layout::GameDirectoryAbovePackage((game_ / "Veldrin").string() + "/"));

    fs::current_path(game_);
    EXPECT_EQ(game_.string(), layout::FindGameDirectory()) << "started inside the game folder itself";
}

// A value naming a folder without the package, a stale one or another
// game's, does not hide the package folder the installer runs from: the
// first place that holds the package wins; when none does, the first is
// shown.
TEST_F(GameDirTest, TheFirstPlaceHoldingThePackageWins) {
    WriteSystemReg(
        Key("Software\\\\Wow6432Node\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\Gone\"") +
        Key("Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE", "\"directory\"=\"C:\\\\Also Gone\""));
    EXPECT_EQ((std::vector<std::string>{"C:\\Gone", "C:\\Also Gone"}), platform::RegistryGameDirectories())
        << "the 32-bit view first, as Windows reads it";
    EXPECT_EQ("C:\\Gone", layout::FindGameDirectory()) << "no place holds the package";
    test::WriteBytes(game_ / "Veldrin" / "veldrinins.ini", "Counter-Strike\ncstrike\nmp\n");
    fs::current_path(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), layout::FindGameDirectory());
}

TEST_F(GameDirTest, OnlyAPackageFolderTheInstallerCanReachCounts) {
    // A folder holding a catalogue but not named as the package folder is:
    // the installer's paths would miss the catalogue from its parent.
    test::WriteBytes(game_ / "Veldrin-1.3" / "veldrinins.ini", "x\ny\nz\n");
    EXPECT_EQ("", layout::GameDirectoryAbovePackage((game_ / "Veldrin-1.3").string()));
    // The package folder without its catalogue.
    EXPECT_EQ("", layout::GameDirectoryAbovePackage((game_ / "Veldrin").string()));
    test::WriteBytes(game_ / "veldrin" / "veldrinins.ini", "x\ny\nz\n");
    fs::remove_all(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), layout::GameDirectoryAbovePackage((game_ / "veldrin").string()));
}

TEST_F(GameDirTest, FallsBackToSteamAndItsLibraryFolders) {
    EXPECT_EQ("", layout::FindGameDirectory()) << "nothing at all";

    // Each Steam folder of a Linux home: the native one's two links, a home
    // with only ~/.steam/root, and Flatpak's Steam.
    for (const char* steam : {".steam/steam", ".steam/root", ".var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
        const fs::path root = root_ / steam;
        fs::path library = root_ / "games" / "SteamLibrary";
        fs::path inLibrary = SteamGame(library);
        test::WriteBytes(root / "steamapps/libraryfolders.vdf",
                         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + root.string() +
                             "\"\n\t\t\"label\"\t\t\"\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string() +
                             "\"\n\t}\n}\n");
        EXPECT_EQ(inLibrary.string(), test::FirstOf(platform::SteamGameDirectories())) << steam;

        fs::path inHome = SteamGame(root);
        EXPECT_EQ(inHome.string(), layout::FindGameDirectory()) << steam << ": the installation's own folder first";
        fs::remove_all(root_ / fs::path(steam).begin()->string());
        fs::remove_all(root_ / "games");
    }
}

TEST_F(GameDirTest, ReadsTheOlderLibraryListWithNumberedEntries) {
    fs::path library = root_ / "old library";
    fs::path inLibrary = SteamGame(library);
    test::WriteBytes(root_ / ".local/share/Steam/steamapps/libraryfolders.vdf",
                     "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n\t\"1\"\t\t\"" +
                         library.string() + "\"\n}\n");
    EXPECT_EQ(inLibrary.string(), layout::FindGameDirectory());
}

TEST_F(GameDirTest, ALibraryPathHoldingANulByteNamesNoFolder) {
    // Cut at its NUL, the first entry would name a real library.
    fs::path library = root_ / "lib";
    SteamGame(library);
    std::string cut = library.string() + std::string("\0/elsewhere", 11);
    test::WriteBytes(root_ / ".steam/steam/steamapps/libraryfolders.vdf",
                     "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + cut + "\"\n\t}\n}\n");
    EXPECT_EQ("", test::FirstOf(platform::SteamGameDirectories()));
}

}  // namespace
