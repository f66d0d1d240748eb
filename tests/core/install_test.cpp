// Install on real mod folders: what it changes, what it copies, and what it
// leaves alone when something fails.
#include "support/game_folder.h"

using test::Crlf;
using test::kDay;
using test::kNoon20240310;
using test::ReadBytes;
using test::WriteBytes;

namespace {

const std::string kModLiblist =
    "game \"Counter-Strike\"\r\nurl_info \"www.example.com\"\r\ngamedll \"dlls\\mp.dll\"\r\n"
    "gamedll_linux \"dlls/cs.so\"\r\n";

class InstallTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        std::vector<test::CatalogueEntry> entries;
        for (int i = 0; i < 8; ++i) entries.push_back({"Mod " + std::to_string(i), "mod" + std::to_string(i), "mp"});
        entries[0] = {"Counter-Strike", "cstrike", "mp"};
        WriteCatalogue(entries);
        WriteBytes(Game("cstrike/liblist.gam"), kModLiblist);
        fs::create_directories(Game("cstrike/dlls"));
        fs::create_directories(Game("cstrike/maps"));
        for (int i = 1; i < 8; ++i) MakeMod("mod" + std::to_string(i), "gamedll \"dlls\\mp.dll\"\n");
        WritePackageLibrary(kNoon20240310);
        for (const char* extra : {"Veldrin_names.txt", "Veldrin_chat.txt", "Veldrin.cfg", "bot_weapon_config.cfg"})
            WriteBytes(Game("Veldrin") / extra, std::string("package ") + extra);
        core_.StampSourceLibrary();
        core_.ScanMods(sink_);
    }

    void Install(int slot, const InstallOptions& options = {}) { core_.InstallMod(200 + slot, options, sink_); }
    std::string Status(int slot) const {
        const auto* row = sink_.ForSlot(slot);
        return row ? row->status : "<no row>";
    }
    bool TempLeft(const std::string& folder) const { return test::TempFilesLeft(Game(folder)); }

    InstallerCore core_;
    test::RecordingSink sink_;
};

TEST_F(InstallTest, PointsTheModAtTheBotAndCopiesTheLibraryWithItsTime) {
    ASSERT_EQ("not installed", Status(0));
    Install(0);
    EXPECT_EQ(
        "game \"Counter-Strike\"\r\nurl_info \"www.example.com\"\r\ngamedll \"dlls\\veldrin.dll\"\r\n"
        "gamedll_linux \"dlls/cs.so\"\r\n",
        ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_EQ("MZ veldrin bot v2", ReadBytes(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_EQ(kNoon20240310, test::Modified(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_EQ("installed", Status(0));
    EXPECT_EQ(8u, sink_.rows.size());
    EXPECT_FALSE(TempLeft("cstrike"));
}

TEST_F(InstallTest, NoOptionsCopiesNoExtras) {
    WriteBytes(Game("Veldrin/cstrike/de_dust.vwp"), "wp");
    Install(0);
    for (const char* extra : {"Veldrin_names.txt", "Veldrin_chat.txt", "Veldrin.cfg", "bot_weapon_config.cfg"})
        EXPECT_FALSE(fs::exists(Game("cstrike") / extra)) << extra;
    EXPECT_FALSE(fs::exists(Game("cstrike/maps/de_dust.vwp")));
}

// An extra Install put there and nobody changed since is replaced; one the
// player changed, or put there, is kept, the package's copy beside it.
TEST_F(InstallTest, TickedExtrasReplaceOnlyWhatInstallLeft) {
    WriteBytes(Game("cstrike/Veldrin.cfg"), "player's old cfg");
    WriteBytes(Game("Veldrin/cstrike/de_dust.vwp"), "package waypoint");
    WriteBytes(Game("Veldrin/cstrike/cs_office.vwp"), "package waypoint");
    ChangeOutcome outcome = core_.InstallMod(200, InstallOptions{true, true, true, true, true}, sink_);
    EXPECT_EQ("package Veldrin_names.txt", ReadBytes(Game("cstrike/Veldrin_names.txt")));
    EXPECT_EQ("package Veldrin_chat.txt", ReadBytes(Game("cstrike/Veldrin_chat.txt")));
    EXPECT_EQ("player's old cfg", ReadBytes(Game("cstrike/Veldrin.cfg")));
    EXPECT_EQ("package Veldrin.cfg", ReadBytes(Game("cstrike/Veldrin.cfg.veldrin-new")));
    EXPECT_EQ(std::vector<std::string>{test::HostIsWindows() ? "cstrike\\Veldrin.cfg" : "cstrike/Veldrin.cfg"},
              outcome.extrasKept);
    // Slot 0 is not the weapon-configuration mod.
    EXPECT_FALSE(fs::exists(Game("cstrike/bot_weapon_config.cfg")));
    EXPECT_TRUE(fs::exists(Game("Veldrin/Veldrin.cfg")));  // copies keep the package's files

    // The upgrade: the player tunes the configuration and edits a waypoint
    // in the game; what Install left as it was is replaced.
    WriteBytes(Game("cstrike/maps/de_dust.vwp"), "edited in the game");
    WriteBytes(Game("cstrike/Veldrin_names.txt"), "my bots' names");
    fs::remove(Game("cstrike/Veldrin.cfg.veldrin-new"));
    for (const char* extra : {"Veldrin_chat.txt", "Veldrin.cfg"})
        WriteBytes(Game("Veldrin") / extra, std::string("package ") + extra + " v3");
    WriteBytes(Game("Veldrin/cstrike/cs_office.vwp"), "package waypoint v3");
    auto newerPackage = [&](int days) {
        WritePackageLibrary(kNoon20240310 + days * kDay);
        core_.StampSourceLibrary();
        core_.ScanMods(sink_);
        ASSERT_EQ("need upgrade", Status(0));
    };
    newerPackage(1);
    outcome = core_.InstallMod(300, InstallOptions{true, true, true, true, true}, sink_);
    EXPECT_EQ("package Veldrin_chat.txt v3", ReadBytes(Game("cstrike/Veldrin_chat.txt")));
    EXPECT_EQ("package waypoint v3", ReadBytes(Game("cstrike/maps/cs_office.vwp")));
    EXPECT_EQ("edited in the game", ReadBytes(Game("cstrike/maps/de_dust.vwp")));
    EXPECT_EQ("package waypoint", ReadBytes(Game("cstrike/maps/de_dust.vwp.veldrin-new")));
    EXPECT_EQ("my bots' names", ReadBytes(Game("cstrike/Veldrin_names.txt")));
    EXPECT_EQ("player's old cfg", ReadBytes(Game("cstrike/Veldrin.cfg")));
    EXPECT_EQ("package Veldrin.cfg v3", ReadBytes(Game("cstrike/Veldrin.cfg.veldrin-new")));
    EXPECT_EQ(3u, outcome.extrasKept.size());
    EXPECT_FALSE(TempLeft("cstrike"));

    // The record is the player's to edit or delete: without it, every extra
    // already there counts as the player's.
    WriteBytes(Game("cstrike/Veldrin.installed"), "\x01garbage\r\n12 x maps\\cs_office.vwp\r\n");
    WriteBytes(Game("Veldrin/cstrike/cs_office.vwp"), "package waypoint v4");
    newerPackage(2);
    outcome = core_.InstallMod(300, InstallOptions{false, true, false, false, false}, sink_);
    EXPECT_EQ("package waypoint v3", ReadBytes(Game("cstrike/maps/cs_office.vwp")));
    EXPECT_EQ("package waypoint v4", ReadBytes(Game("cstrike/maps/cs_office.vwp.veldrin-new")));
}

TEST_F(InstallTest, WeaponConfigurationOnlyForItsSlot) {
    Install(WEAPON_CONFIG_SLOT, InstallOptions{false, false, false, true, false});
    EXPECT_EQ("package bot_weapon_config.cfg", ReadBytes(Game("mod7/bot_weapon_config.cfg")));
    Install(6, InstallOptions{false, false, false, true, false});
    EXPECT_FALSE(fs::exists(Game("mod6/bot_weapon_config.cfg")));
}

TEST_F(InstallTest, WaypointsAreFoundIgnoringCaseAndAllCopied) {
    for (int i = 0; i < 300; ++i) WriteBytes(Game("Veldrin/CStrike/map" + std::to_string(i) + ".VWP"), "w");
    WriteBytes(Game("Veldrin/CStrike/readme.txt"), "not a waypoint");
    // A name that holds a separator, legal on Linux, would leave the maps
    // folder: it is skipped.
    const bool escaping = !test::HostIsWindows();
    if (escaping) WriteBytes(Game("Veldrin/CStrike/..\\escape.vwp"), "w");
    core_.m_bLog = 1;
    Install(0, InstallOptions{false, true, false, false, false});
    int copied = 0;
    for (const auto& entry : fs::directory_iterator(Game("cstrike/maps"))) {
        (void)entry;
        ++copied;
    }
    EXPECT_EQ(300, copied);
    EXPECT_TRUE(fs::exists(Game("cstrike/maps/map299.VWP")));
    EXPECT_NE(std::string::npos,
              Log().find(escaping ? "Found 301 waypoint files.\r\n" : "Found 300 waypoint files.\r\n"));
    if (escaping) {
        EXPECT_NE(std::string::npos, Log().find("Skipping waypoint file ..\\escape.vwp: not a plain file name\r\n"));
    }
    EXPECT_FALSE(fs::exists(Game("cstrike/escape.vwp")));
}

TEST_F(InstallTest, NoWaypointsAndNoMapsFolderFailQuietly) {
    core_.m_bLog = 1;
    Install(1, InstallOptions{false, true, false, false, false});
    EXPECT_NE(std::string::npos, Log().find("Looking for waypoints...\r\nFound 0 waypoint files.\r\n"));
    WriteBytes(Game("Veldrin/mod2/a.vwp"), "w");
    Install(2, InstallOptions{true, true, false, false, false});  // mod2 has no maps folder
    EXPECT_FALSE(fs::exists(Game("mod2/maps")));
    EXPECT_EQ("package Veldrin_names.txt", ReadBytes(Game("mod2/Veldrin_names.txt")));
    EXPECT_EQ("installed", Status(2));
}

TEST_F(InstallTest, NeedUpgradeBecomesInstalledAndKeepsTheLinesAnEarlierInstallKept) {
    MakeMod("mod3", "gamedll \"dlls\\veldrin.dll\"\n", kNoon20240310 - 3 * kDay);
    const std::string kept = Crlf("gamedll \"addons\\loader\\dlls\\loader.dll\"\n");
    WriteBytes(Game("mod3/liblist.gam.veldrin"), kept);
    core_.ScanMods(sink_);
    ASSERT_EQ("need upgrade", Status(3));
    core_.InstallMod(303, {}, sink_);
    EXPECT_EQ("installed", Status(3));
    EXPECT_EQ("MZ veldrin bot v2", ReadBytes(Game("mod3/dlls/veldrin.dll")));
    EXPECT_EQ(kept, ReadBytes(Game("mod3/liblist.gam.veldrin")));

    // Kept lines no Remove gave back are never overwritten: an Install that
    // would keep other lines changes nothing and says why.
    MakeMod("mod4", "gamedll \"addons\\other\\other.dll\"\n");
    WriteBytes(Game("mod4/addons/other/other.dll"), "another loader");
    WriteBytes(Game("mod4/liblist.gam.veldrin"), kept);
    const std::string before = ReadBytes(Game("mod4/liblist.gam"));
    core_.ScanMods(sink_);
    ChangeOutcome outcome = core_.InstallMod(204, {}, sink_);
    EXPECT_EQ(ChangeProblem::KeptLinesNotGivenBack, outcome.problem) << outcome.detail;
    EXPECT_EQ(before, ReadBytes(Game("mod4/liblist.gam")));
    EXPECT_EQ(kept, ReadBytes(Game("mod4/liblist.gam.veldrin")));
    EXPECT_FALSE(fs::exists(Game("mod4/dlls/veldrin.dll")));
    EXPECT_FALSE(TempLeft("mod4"));
}

TEST_F(InstallTest, WithoutAGamedllLineNothingChangesAndTheOutcomeSaysWhy) {
    const std::string text = Crlf("game \"Odd\"\nfallback_dir \"valve\"\n");
    WriteBytes(Game("mod4/liblist.gam"), text);
    ChangeOutcome outcome = core_.InstallMod(204, {}, sink_);
    EXPECT_EQ(ChangeProblem::NoGamedllLine, outcome.problem);
    EXPECT_NE(std::string::npos, outcome.detail.find("liblist.gam: it has no gamedll line")) << outcome.detail;
    EXPECT_EQ(text, ReadBytes(Game("mod4/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("mod4/dlls/veldrin.dll")));
    EXPECT_EQ("not installed", Status(4));
}

TEST_F(InstallTest, MissingPackageLibraryChangesNothing) {
    WriteBytes(Game("cstrike/dlls/veldrin.dll"), "old bot");
    fs::remove(Game("Veldrin/veldrin.dll"));
    core_.m_bLog = 1;
    Install(0, InstallOptions{true, true, true, true, true});
    EXPECT_EQ(kModLiblist, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_EQ("old bot", ReadBytes(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_FALSE(fs::exists(Game("cstrike/Veldrin.cfg")));
    EXPECT_NE(std::string::npos, Log().find("nothing changed"));
    EXPECT_EQ("not installed", Status(0));
}

TEST_F(InstallTest, AFailedCopyOrRenameLeavesTheModAsItWas) {
    // A plug-in loader's line, which Install keeps for Remove.
    std::string libList = kModLiblist;
    libList.replace(libList.find("dlls\\mp.dll"), 11, "addons\\loader.dll");
    WriteBytes(Game("cstrike/liblist.gam"), libList);
    WriteBytes(Game("cstrike/addons/loader.dll"), "loader");
    WriteBytes(Game("cstrike/dlls/veldrin.dll"), "old bot");
    struct Case {
        platform::FileOp op;
        const char* path;
    };
    // The library's copy or rename, or the file that keeps the replaced
    // gamedll line for Remove.
    for (Case c : {Case{platform::FileOp::Copy, "veldrin.dll"}, Case{platform::FileOp::Rename, "veldrin.dll"},
                   Case{platform::FileOp::OpenWrite, "liblist.gam.veldrin"},
                   Case{platform::FileOp::Rename, "liblist.gam.veldrin"}}) {
        const platform::FileOp failing = c.op;
        platform::SetFaultHook([c](platform::FileOp op, const std::string& path) {
            return op == c.op && path.find(c.path) != std::string::npos;
        });
        Install(0, InstallOptions{true, true, true, true, true});
        platform::SetFaultHook({});
        EXPECT_EQ(libList, ReadBytes(Game("cstrike/liblist.gam"))) << int(failing);
        EXPECT_EQ("old bot", ReadBytes(Game("cstrike/dlls/veldrin.dll"))) << int(failing);
        EXPECT_FALSE(fs::exists(Game("cstrike/Veldrin_names.txt"))) << int(failing);
        EXPECT_FALSE(TempLeft("cstrike")) << int(failing);
        EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << int(failing);
        EXPECT_EQ("not installed", Status(0));
    }
}

TEST_F(InstallTest, MissingDllsFolderLeavesTheGamedllLineAlone) {
    fs::remove_all(Game("cstrike/dlls"));
    Install(0);
    EXPECT_EQ(kModLiblist, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls")));
}

TEST_F(InstallTest, AFailedRewriteKeepsLiblistAndTheNewLibraryHarmless) {
    platform::SetFaultHook([](platform::FileOp op, const std::string& path) {
        return op == platform::FileOp::Write && path.find("liblist") != std::string::npos;
    });
    Install(0);
    platform::SetFaultHook({});
    EXPECT_EQ(kModLiblist, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(TempLeft("cstrike"));
    EXPECT_EQ("not installed", Status(0));
}

TEST_F(InstallTest, SlotsOutsideTheTableOnlyRescan) {
    int clears = sink_.clears;
    core_.InstallMod(250, InstallOptions{true, true, true, true, true}, sink_);
    core_.InstallMod(-1, {}, sink_);
    EXPECT_EQ(clears + 2, sink_.clears);
    for (int i = 1; i < 8; ++i) EXPECT_FALSE(fs::exists(Game("mod" + std::to_string(i) + "/dlls/veldrin.dll")));
    EXPECT_EQ(kModLiblist, ReadBytes(Game("cstrike/liblist.gam")));
}

TEST_F(InstallTest, TraceOfAnInstall) {
    WriteBytes(Game("Veldrin/cstrike/a.vwp"), "w");
    core_.m_bLog = 1;
    Install(0, InstallOptions{true, true, false, false, false});
    const std::string g = g_szGameDir;
    const std::string expectedStart = Crlf(
        "\nPerforming Install for mod: Counter-Strike\n------------------------------\n"
        "Deleting old Veldrin.dll\n"
        "Copied " +
        g + "\\veldrin\\veldrin.dll to " + g +
        "\\cstrike\\dlls\\veldrin.dll\n"
        "Found gamedll line in liblist.gam\nWriting new liblist.gam\n"
        "Looking for waypoints...\nFound 1 waypoint files.\n"
        "Copying " +
        g + "\\Veldrin\\cstrike\\a.vwp to " + g +
        "\\cstrike\\maps\\a.vwp\n"
        "Copyied " +
        g + "\\Veldrin\\Veldrin_names.txt to " + g +
        "\\cstrike\\Veldrin_names.txt\n"
        "\nInitializing MOD list\n");
    EXPECT_EQ(expectedStart, Log().substr(0, expectedStart.size()));
}

}  // namespace
