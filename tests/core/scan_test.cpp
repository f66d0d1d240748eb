// The catalogue and the status scan, end to end on real folders.
#include "core/player_messages.h"
#include "support/game_folder.h"
#include "support/host.h"

#include "platform/text_encoding.h"

using test::Crlf;
using test::kDay;
using test::kNoon20240310;
using test::WriteBytes;

namespace {

const char* const kBotLine = "gamedll \"dlls\\veldrin.dll\"\n";

class ScanTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        WritePackageLibrary(kNoon20240310);
        core_.StampSourceLibrary();
    }

    const test::RecordingSink& Scan() {
        core_.ScanMods(sink_);
        return sink_;
    }

    InstallerCore core_;
    test::RecordingSink sink_;
};

TEST_F(ScanTest, RowsInCatalogueOrderWithStatusAndItemData) {
    WriteCatalogue({{"Counter-Strike", "cstrike", "mp"},
                    {"Absent Mod", "absent", "absent"},
                    {"Day of Defeat", "dod", "dod"},
                    {"Team Fortress", "tfc", "tfc"},
                    {"Deathmatch", "valve", "hl"}});
    MakeMod("cstrike", "game \"CS\"\ngamedll \"dlls\\mp.dll\"\n");
    MakeMod("dod", std::string("game \"DoD\"\n") + kBotLine, kNoon20240310);
    MakeMod("tfc", kBotLine, kNoon20240310 - kDay);
    MakeMod("valve", kBotLine, kNoon20240310 + kDay);
    const auto& rows = Scan().rows;
    ASSERT_EQ(4u, rows.size());
    EXPECT_EQ("Counter-Strike", rows[0].name);
    EXPECT_EQ(200, rows[0].data);
    EXPECT_EQ("not installed", rows[0].status);
    EXPECT_EQ("Day of Defeat", rows[1].name);
    EXPECT_EQ(102, rows[1].data);
    EXPECT_EQ("installed", rows[1].status);
    EXPECT_EQ(303, rows[2].data);
    EXPECT_EQ("need upgrade", rows[2].status);
    EXPECT_EQ(104, rows[3].data);  // newer than the package still reads "installed"
    EXPECT_EQ(5, core_.m_nModCount);
    EXPECT_EQ("absent", core_.m_strModFolder[1]);
    EXPECT_EQ("hl", core_.m_strModDll[4]);
    EXPECT_TRUE(UnreadableMods(core_).empty()) << "an absent mod is no failure";

    // A liblist.gam that is there but cannot be read: no row, and its file
    // and the system's reason for the front ends to tell.
    platform::SetFaultHook(
        [](platform::FileOp op, const std::string& path) {
            return op == platform::FileOp::OpenRead && path.find("dod") != std::string::npos;
        },
        platform::FileError::AccessDenied);
    EXPECT_EQ(3u, Scan().rows.size());
    const std::vector<UnreadableMod> unreadable = UnreadableMods(core_);
    platform::SetFaultHook({});
    ASSERT_EQ(1u, unreadable.size());
    EXPECT_EQ(2, unreadable[0].slot);
    EXPECT_EQ(std::string(test::HostIsWindows() ? "dod\\liblist.gam" : "dod/liblist.gam") + ": " +
                  platform::ReasonText(platform::FileError::AccessDenied),
              unreadable[0].detail);
}

TEST_F(ScanTest, SameUtcDayIsNotOlder) {
    WriteCatalogue({{"Mod", "mod", "mp"}});
    MakeMod("mod", kBotLine, kNoon20240310 - 12 * 3600);  // 00:00 UTC the same day
    EXPECT_EQ(100, Scan().rows.at(0).data);
    EXPECT_EQ("installed", sink_.rows.at(0).status);
}

TEST_F(ScanTest, BothTheLineAndTheLibraryAreNeeded) {
    WriteCatalogue({{"Line only", "lineonly", "mp"}, {"Dll only", "dllonly", "mp"}, {"Indented", "indented", "mp"}});
    MakeMod("lineonly", kBotLine);
    MakeMod("dllonly", "gamedll \"dlls\\mp.dll\"\n", kNoon20240310);
    MakeMod("indented", std::string("  gamedll \"dlls\\VELDRIN.DLL\"\n"), kNoon20240310);
    const auto& rows = Scan().rows;
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(200, rows[0].data);
    EXPECT_EQ(201, rows[1].data);
    EXPECT_EQ(102, rows[2].data);
}

TEST_F(ScanTest, WindowsCaseAndLineEndsAreHonoured) {
    WriteCatalogue({{"Mod", "CStrike", "mp"}});
    WriteBytes(Game("cstrike/LibList.GAM"), Crlf("gamedll \"dlls\\Veldrin.DLL\"\n"));
    WriteBytes(Game("cstrike/DLLS/VELDRIN.dll"), "x");
    test::SetModified(Game("cstrike/DLLS/VELDRIN.dll"), kNoon20240310);
    fs::rename(Game("Veldrin/veldrinins.ini"), Game("Veldrin/VeldrinINS.ini"));
    const auto& rows = Scan().rows;
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("installed", rows[0].status);
}

TEST_F(ScanTest, EmptyNamesAreSkippedAndShortRecordsDropped) {
    WriteBytes(Game("Veldrin/veldrinins.ini"), Crlf("\nnofolder\nnolib\nSecond\nsecond\nsec\nThird\nthird\n"));
    MakeMod("second", "");
    MakeMod("third", "");
    const auto& rows = Scan().rows;
    EXPECT_EQ(1, core_.m_nModCount);
    EXPECT_EQ("Second", core_.m_strModName[0]);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(200, rows[0].data);
}

TEST_F(ScanTest, NamesAreShownAsUtf8WhateverCodePageTheyAreWrittenIn) {
    // Each name is kept when it is UTF-8, otherwise read in the code page of
    // the player's language: on POSIX the language the locale variables
    // name; on Windows the user's locale, which the test run sets (a case
    // runs only when it is the locale's).
    struct Case {
        const char* lang;
        int codePage;
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {"ru_RU.UTF-8", 1251, "\xC4\xE5\xED\xFC \xCF\xEE\xE1\xE5\xE4\xFB", "День Победы"},
        {"ru_RU.UTF-8", 1251, "Condici\xC3\xB3n", "Condición"},  // UTF-8 stays UTF-8
        {"pl_PL.UTF-8", 1250, "Wojna \xB9\x9C\xE6", "Wojna ąść"},
        {"tr_TR.UTF-8", 1254, "Sava\xFE \xDDzmir", "Savaş İzmir"},
        {"zh_CN.UTF-8", 936, "\xD3\xCE\xCF\xB7", "游戏"},
        {"de_DE.UTF-8", 1252,
         "Stra\xDF"
         "e",
         "Straße"},
        {"", 1252, "Condici\xF3n", "Condición"},
        // Not UTF-8: an overlong form, a surrogate, a character cut short.
        {"", 1252, "\xC0\xAF", "À¯"},
        {"", 1252, "\xED\xA0\x80", "í\xC2\xA0€"},
        {"", 1252, "x\xE2\x82", "xâ‚"},
    };
    for (const char* variable : {"LC_ALL", "LC_MESSAGES"}) test::UnsetEnv(variable);
    for (const Case& c : cases) {
        if (test::HostIsWindows() && platform::PlayerCodePage() != c.codePage) continue;
        SCOPED_TRACE(std::string(c.lang) + ": " + c.shown);
        test::SetEnv("LANG", c.lang);
        WriteCatalogue({{c.bytes, "mod", "mp"}});
        Scan();
        ASSERT_EQ(1, core_.m_nModCount);
        EXPECT_EQ(c.shown, core_.m_strModName[0]);
    }
    test::UnsetEnv("LANG");

    // Notepad's byte-order mark starts the file, and no name; the folders
    // and libraries stay the bytes they are.
    WriteBytes(Game("Veldrin/veldrinins.ini"),
               Crlf("\xEF\xBB\xBF"
                    "Counter-Strike\ncstrike\nmp\n\xEF\xBB\xBFSecond\n\xF3mod\n\xF3lib\n"));
    Scan();
    ASSERT_EQ(2, core_.m_nModCount);
    EXPECT_EQ("Counter-Strike", core_.m_strModName[0]);
    EXPECT_EQ("\xEF\xBB\xBFSecond", core_.m_strModName[1]);
    EXPECT_EQ("\xF3mod", core_.m_strModFolder[1]);
    EXPECT_EQ("\xF3lib", core_.m_strModDll[1]);
}

TEST_F(ScanTest, OverLongCatalogueLinesShiftTheFields) {
    // 200 characters arrive as a field of 178 and one of 22.
    std::string longName(200, 'N');
    WriteBytes(Game("Veldrin/veldrinins.ini"), Crlf(longName + "\nmod\nmp\n"));
    Scan();
    ASSERT_EQ(1, core_.m_nModCount);
    EXPECT_EQ(std::string(178, 'N'), core_.m_strModName[0]);
    EXPECT_EQ(std::string(22, 'N'), core_.m_strModFolder[0]);
    EXPECT_EQ("mod", core_.m_strModDll[0]);
    // Exactly 178 characters leave the newline alone as the next field.
    WriteBytes(Game("Veldrin/veldrinins.ini"), Crlf(std::string(178, 'M') + "\nmod\nmp\n"));
    Scan();
    EXPECT_EQ(std::string(178, 'M'), core_.m_strModName[0]);
    EXPECT_EQ("", core_.m_strModFolder[0]);
    EXPECT_EQ("mod", core_.m_strModDll[0]);
}

TEST_F(ScanTest, MissingCatalogueGivesAnEmptyListAfterClearing) {
    sink_.rows.push_back({"stale", 101, "installed"});
    EXPECT_TRUE(Scan().rows.empty());
    EXPECT_EQ(1, sink_.clears);
    EXPECT_EQ(0, core_.m_nModCount);
}

TEST_F(ScanTest, OnlyTheFirstFiftyRecordsAreKept) {
    std::vector<test::CatalogueEntry> entries;
    for (int i = 0; i < 60; ++i) entries.push_back({"Mod " + std::to_string(i), "mod" + std::to_string(i), "mp"});
    WriteCatalogue(entries);
    for (int i = 0; i < 60; ++i) MakeMod("mod" + std::to_string(i), "");
    core_.m_bLog = 1;
    const auto& rows = Scan().rows;
    EXPECT_EQ(50, core_.m_nModCount);
    ASSERT_EQ(50u, rows.size());
    EXPECT_EQ(249, rows[49].data);
    EXPECT_NE(std::string::npos, Log().find("ignoring from: Mod 50"));
}

TEST_F(ScanTest, FoldersOutsideTheGameDirectoryGetNoRow) {
    WriteCatalogue({{"Escape", "..", "mp"}, {"Nested", "a\\b", "mp"}, {"Drive", "C:", "mp"}, {"Fine", "fine", "mp"}});
    // A liblist.gam that ".." would reach.
    WriteBytes(root_ / "liblist.gam", Crlf(kBotLine));
    MakeMod("a/b", kBotLine);
    MakeMod("fine", "");
    const auto& rows = Scan().rows;
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(203, rows[0].data);
}

TEST_F(ScanTest, PathsTooLongAreSkippedNotCut) {
    // A folder whose liblist.gam path would be cut right after "liblist.ga"
    // must not be mistaken for that shorter file.
    std::string folder(255 - std::strlen(g_szGameDir) - std::strlen("\\\\liblist.gam") + 1, 'f');
    WriteCatalogue({{"Long", folder, "mp"}});
    WriteBytes(Game(folder + "/liblist.ga"), Crlf("gamedll \"dlls\\mp.dll\"\n"));
    EXPECT_TRUE(Scan().rows.empty());
}

TEST_F(ScanTest, TraceOfAScanHasEveryMessageInOrder) {
    WriteCatalogue({{"Counter-Strike", "cstrike", "mp"}, {"Gone", "gone", "gone"}, {"Old", "old", "old"}});
    MakeMod("cstrike", "gamedll \"dlls\\veldrin.dll\"\n");
    MakeMod("old", kBotLine, kNoon20240310 - kDay);
    core_.m_bLog = 1;
    Scan();
    std::string g = g_szGameDir;
    EXPECT_EQ(Crlf("\nInitializing MOD list\n-----------------------\nParsing veldrinins.ini:\n\n"
                   "Found MOD name:   Counter-Strike\nFound MOD folder: cstrike\nFound MOD dll:    mp\n"
                   "Found MOD name:   Gone\nFound MOD folder: gone\nFound MOD dll:    gone\n"
                   "Found MOD name:   Old\nFound MOD folder: old\nFound MOD dll:    old\n"
                   "Checking:\t\t" +
                   g +
                   "\\cstrike\\liblist.gam\nFound mod: Counter-Strike\n"
                   "Found veldrin.dll in liblist.gam\n"
                   // A missing library has no date, so it counts as older.
                   "Found veldrin.dll in liblist.gam to be older from current\n"
                   "veldrin.dll is missing from mod dlls dir\n"
                   "Marked as not installed\n"
                   "Checking:\t\t" +
                   g +
                   "\\gone\\liblist.gam\n"
                   "Checking:\t\t" +
                   g +
                   "\\old\\liblist.gam\nFound mod: Old\n"
                   "Found veldrin.dll in liblist.gam\n"
                   "Found veldrin.dll in liblist.gam to be older from current\n"),
              Log());
}

TEST_F(ScanTest, NoTraceFileWhileTheSwitchIsOff) {
    WriteCatalogue({{"Mod", "mod", "mp"}});
    MakeMod("mod", kBotLine, kNoon20240310);
    Scan();
    core_.InstallMod(100, InstallOptions{true, true, true, true, true}, sink_);
    core_.RemoveMod(100, sink_);
    EXPECT_FALSE(fs::exists(root_ / "Veldrin.log"));
}

}  // namespace
