// Remove on real mod folders, and the install/remove round trip.
#include "core/liblist.h"
#include "support/game_folder.h"

using test::Crlf;
using test::kNoon20240310;
using test::ReadBytes;
using test::WriteBytes;

namespace {

const std::string kInstalled = Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\veldrin.dll\"\nsecure \"1\"\n");

class RemoveTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        WriteCatalogue({{"Counter-Strike", "cstrike", "mp"}, {"Blank", "blank", ""}, {"Self", "self", "veldrin"}});
        WritePackageLibrary(kNoon20240310);
        WriteBytes(Game("cstrike/liblist.gam"), kInstalled);
        WriteBytes(Game("cstrike/dlls/veldrin.dll"), "bot");
        WriteBytes(Game("cstrike/dlls/mp.dll"), "the mod's own library");
        test::SetModified(Game("cstrike/dlls/veldrin.dll"), kNoon20240310);
        WriteBytes(Game("cstrike/Veldrin.cfg"), "cfg");
        WriteBytes(Game("cstrike/maps/a.vwp"), "wp");
        core_.StampSourceLibrary();
        core_.ScanMods(sink_);
    }
    std::string Status(int slot) const {
        const auto* row = sink_.ForSlot(slot);
        return row ? row->status : "<no row>";
    }
    InstallerCore core_;
    test::RecordingSink sink_;
};

TEST_F(RemoveTest, RestoresTheModsLibraryDeletesTheBotAndKeepsExtras) {
    ASSERT_EQ("installed", Status(0));
    EXPECT_TRUE(core_.RemoveMod(100, sink_).Done());
    EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\nsecure \"1\"\n"),
              ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_TRUE(fs::exists(Game("cstrike/Veldrin.cfg")));
    EXPECT_TRUE(fs::exists(Game("cstrike/maps/a.vwp")));
    EXPECT_EQ("not installed", Status(0));
}

TEST_F(RemoveTest, IndentedGamedllLineIsRestoredUnindented) {
    WriteBytes(Game("cstrike/liblist.gam"), Crlf("  gamedll \"dlls\\veldrin.dll\"\n"));
    core_.RemoveMod(100, sink_);
    EXPECT_EQ(Crlf("gamedll \"dlls\\mp.dll\"\n"), ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// Install keeps the gamedll lines it replaces beside liblist.gam; Remove
// gives them back, so that the round trip returns the file byte for byte,
// a server's plug-in loader included.
TEST_F(RemoveTest, InstallThenRemoveGivesTheFileBackByteForByte) {
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    struct Case {
        const char* what;
        std::string gamedll;  // the lines Install replaces
    };
    for (const Case& c :
         {Case{"the mod's own library", "gamedll \"dlls\\mp.dll\"\n"}, Case{"a plug-in loader", loader + "\n"},
          Case{"an indented plug-in loader", "   " + loader + "\n"},
          Case{"two gamedll lines", "gamedll \"dlls\\mp.dll\"\n// between\n" + loader + "\n"}}) {
        const std::string original =
            Crlf("// mod info\ngame \"Counter-Strike\"\n" + c.gamedll) + "trailing without newline";
        WriteBytes(Game("cstrike/liblist.gam"), original);
        WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "loader");
        fs::remove(Game("cstrike/dlls/veldrin.dll"));
        core_.ScanMods(sink_);
        ASSERT_TRUE(core_.InstallMod(200, {}, sink_).Done()) << c.what;
        ASSERT_EQ("installed", Status(0)) << c.what;
        // Plain text a person can read: the replaced lines as they were.
        std::string kept;
        for (size_t at = 0, nl; (nl = c.gamedll.find('\n', at)) != std::string::npos; at = nl + 1) {
            const std::string line = c.gamedll.substr(at, nl - at);
            if (liblist::IsGamedllRow(line.c_str())) kept += line + "\r\n";
        }
        EXPECT_EQ(kept, ReadBytes(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        EXPECT_TRUE(core_.RemoveMod(100, sink_).Done()) << c.what;
        EXPECT_EQ(original, ReadBytes(Game("cstrike/liblist.gam"))) << c.what;
        EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll"))) << c.what;
    }
}

// A library the kept line named has gone: Remove falls back to the
// catalogue's, says which is missing and keeps the file, whose lines were not
// given back; it changes nothing when the catalogue's is missing too.
TEST_F(RemoveTest, AKeptLineWhoseLibraryHasGone) {
    WriteBytes(Game("cstrike/liblist.gam.veldrin"), Crlf("gamedll \"addons\\loader\\dlls\\loader.dll\"\n"));
    ChangeOutcome fellBack = core_.RemoveMod(100, sink_);
    EXPECT_TRUE(fellBack.Done());
    EXPECT_NE(std::string::npos, fellBack.keptLinesNotGivenBack.find("loader.dll")) << fellBack.keptLinesNotGivenBack;
    EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\nsecure \"1\"\n"),
              ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_TRUE(fs::exists(Game("cstrike/liblist.gam.veldrin")));

    WriteBytes(Game("cstrike/liblist.gam"), kInstalled);
    WriteBytes(Game("cstrike/dlls/veldrin.dll"), "bot");
    WriteBytes(Game("cstrike/liblist.gam.veldrin"), Crlf("gamedll \"addons\\loader\\dlls\\loader.dll\"\n"));
    fs::remove(Game("cstrike/dlls/mp.dll"));
    core_.ScanMods(sink_);
    ChangeOutcome outcome = core_.RemoveMod(100, sink_);
    EXPECT_EQ(ChangeProblem::OwnLibraryMissing, outcome.problem);
    EXPECT_NE(std::string::npos, outcome.detail.find("mp.dll")) << outcome.detail;
    EXPECT_NE(std::string::npos, outcome.detail.find("loader.dll")) << outcome.detail;
    EXPECT_EQ(kInstalled, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_TRUE(fs::exists(Game("cstrike/liblist.gam.veldrin")));
    EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

TEST_F(RemoveTest, LibraryStaysWhileLiblistStillNamesIt) {
    struct Case {
        platform::FileOp op;
        bool readOnly;
    };
    for (Case c : {Case{platform::FileOp::OpenRead, false}, Case{platform::FileOp::OpenWrite, false},
                   Case{platform::FileOp::Write, false}, Case{platform::FileOp::Rename, false},
                   Case{platform::FileOp::Copy, true}}) {
        if (c.readOnly) fs::permissions(Game("cstrike/liblist.gam"), fs::perms::owner_read);
        platform::SetFaultHook([c](platform::FileOp op, const std::string& path) {
            return op == c.op && path.find("liblist") != std::string::npos;
        });
        core_.RemoveMod(100, sink_);
        platform::SetFaultHook({});
        fs::permissions(Game("cstrike/liblist.gam"), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(kInstalled, ReadBytes(Game("cstrike/liblist.gam"))) << int(c.op);
        EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll"))) << int(c.op);
        EXPECT_FALSE(test::TempFilesLeft(Game("cstrike"))) << int(c.op);
        core_.ScanMods(sink_);
        EXPECT_EQ("installed", Status(0));
    }
}

TEST_F(RemoveTest, WithoutLiblistTheLibraryIsDeleted) {
    core_.ScanMods(sink_);
    fs::remove(Game("cstrike/liblist.gam"));
    EXPECT_TRUE(core_.RemoveMod(100, sink_).Done());
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam")));
}

TEST_F(RemoveTest, AMissingOwnLibraryOrEmptyBaseNameChangesNothingAndTheBotsOwnNameKeepsIt) {
    // The restored line would name a library the mod lacks: the game would
    // no longer start, so nothing changes and the outcome names the library.
    for (const char* own : {"mp", ""}) {
        WriteCatalogue({{"Counter-Strike", "cstrike", own}, {"Blank", "blank", ""}, {"Self", "self", "veldrin"}});
        fs::remove(Game("cstrike/dlls/mp.dll"));
        core_.ScanMods(sink_);
        ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        EXPECT_EQ(ChangeProblem::OwnLibraryMissing, outcome.problem) << own;
        EXPECT_NE(std::string::npos, outcome.detail.find(*own ? "mp.dll" : "no game library")) << outcome.detail;
        EXPECT_EQ(kInstalled, ReadBytes(Game("cstrike/liblist.gam")));
        EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
        EXPECT_EQ("installed", Status(0));
    }

    // A catalogue that calls the mod's own library "veldrin" would have the
    // restored line name the bot: the library must then stay.
    WriteBytes(Game("self/liblist.gam"), kInstalled);
    WriteBytes(Game("self/dlls/veldrin.dll"), "bot");
    core_.RemoveMod(102, sink_);
    EXPECT_TRUE(fs::exists(Game("self/dlls/veldrin.dll")));
}

TEST_F(RemoveTest, TraceOfARemove) {
    core_.m_bLog = 1;
    core_.RemoveMod(100, sink_);
    const std::string expectedStart = Crlf(
        "\nPerforming Remove on Counter-Strike\n-------------------------\n"
        "Found gamedll line...\nWritten new liblist.gam\nDeleted veldrin.dll\n\nInitializing MOD list\n");
    EXPECT_EQ(expectedStart, Log().substr(0, expectedStart.size()));
}

}  // namespace
