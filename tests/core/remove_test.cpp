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
// gives them back, so that the round trip returns the file byte for byte, a
// server's plug-in loader included, whatever the lines' lengths and ends.
TEST_F(RemoveTest, InstallThenRemoveGivesTheFileBackByteForByte) {
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    // 84 characters: two rows of the file.
    const std::string longLoader =
        "gamedll \"addons\\metamod\\dlls\\some_really_long_plugin_loader_name_for_testing_purposes.dll\"";
    const std::string head = "// mod info\r\ngame \"Counter-Strike\"\r\n";
    struct Case {
        const char* what;
        std::string original;
        std::string kept;         // liblist.gam.veldrin after the Install; empty: none, as Remove writes it anyway
        const char* link = "";    // a folder or file of the mod that is a link to a shared one, as on servers
        bool serverOnly = false;  // a Linux server's tree: dlls/cs.so, which gamedll_linux names, and no mp.dll
    };
    const std::string server = "gamedll_linux \"dlls/cs.so\"\r\n";
    for (const Case& c : {
             Case{"the mod's own library", head + "gamedll \"dlls\\mp.dll\"\r\ntrailing without newline", ""},
             Case{"the mod's own library in a linked dlls folder", head + "gamedll \"dlls\\mp.dll\"\r\n", "", "dlls"},
             Case{"the mod's own library a link", head + "gamedll \"dlls\\mp.dll\"\r\n", "", "dlls/mp.dll"},
             Case{"a plug-in loader in a linked addons folder", head + loader + "\r\n", loader + "\r\n", "addons"},
             Case{"a plug-in loader", head + loader + "\r\ntrailing without newline", loader + "\r\n"},
             Case{"an indented plug-in loader", head + "   " + loader + "\r\n", "   " + loader + "\r\n"},
             Case{"two gamedll lines", head + "gamedll \"dlls\\mp.dll\"\r\n// between\r\n" + loader + "\r\n",
                  "gamedll \"dlls\\mp.dll\"\r\n" + loader + "\r\n"},
             Case{"a loader line longer than a row", head + longLoader + "\r\nsecure \"1\"\r\n", longLoader + "\r\n"},
             Case{"bare LF line ends", "// mod info\ngame \"CS\"\n" + longLoader + "\n" + std::string(200, 'x') + "\n",
                  longLoader + "\r\n"},
             Case{"a last line without an end", head + longLoader, longLoader + "\r\n"},
             Case{"a lone CR in the line", head + "gamedll \"dlls\\mp.dll\"\r// note\r\n",
                  "gamedll \"dlls\\mp.dll\"\r// note\r\n"},
             Case{"a Linux server's tree", head + "gamedll \"dlls\\mp.dll\"\r\n" + server, "", "", true},
             Case{"a Linux server's tree, its line spelled otherwise", head + "gamedll \"dlls/mp.dll\"\r\n" + server,
                  "gamedll \"dlls/mp.dll\"\r\n", "", true},
         }) {
        WriteBytes(Game("cstrike/liblist.gam"), c.original);
        WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "loader");
        WriteBytes(Game("cstrike/addons/metamod/dlls/some_really_long_plugin_loader_name_for_testing_purposes.dll"),
                   "metamod");
        fs::remove(Game("cstrike/dlls/veldrin.dll"));
        if (c.serverOnly) {
            fs::remove(Game("cstrike/dlls/mp.dll"));
            WriteBytes(Game("cstrike/dlls/cs.so"), "ELF");
        }
        const fs::path linked = Game("cstrike") / c.link, shared = Game("shared") / c.link;
        if (*c.link) {
            if (test::HostIsWindows()) continue;  // symbolic links need a privilege players lack
            fs::create_directories(shared.parent_path());
            fs::rename(linked, shared);
            fs::create_symlink(shared, linked);
        }
        core_.ScanMods(sink_);
        ASSERT_TRUE(core_.InstallMod(200, {}, sink_).Done()) << c.what;
        ASSERT_EQ("installed", Status(0)) << c.what;
        // Plain text a person can read: the replaced lines, whole, as they were.
        if (c.kept.empty()) EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        else EXPECT_EQ(c.kept, ReadBytes(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        const ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        EXPECT_TRUE(outcome.Done() && outcome.keptLinesNotGivenBack.empty()) << c.what << ": " << outcome.detail;
        EXPECT_EQ(c.original, ReadBytes(Game("cstrike/liblist.gam"))) << c.what;
        EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll"))) << c.what;
        if (*c.link) {
            fs::remove(linked);
            fs::rename(shared, linked);
        }
        if (c.serverOnly) {
            fs::remove(Game("cstrike/dlls/cs.so"));
            WriteBytes(Game("cstrike/dlls/mp.dll"), "the mod's own library");
        }
    }
}

// The kept file is the player's to edit: blank lines in it are ignored, and
// one that does not fit liblist.gam changes nothing and stays, with the
// reason told.
TEST_F(RemoveTest, AHandEditedKeptFile) {
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "loader");
    const std::string twice = Crlf("gamedll \"dlls\\veldrin.dll\"\n// x\ngamedll \"dlls\\veldrin.dll\"\n");
    struct Case {
        const char* what;
        std::string kept, libList;
        const char* why;  // empty: the lines are given back
    };
    for (const Case& c : {
             Case{"blank lines", "\r\n" + loader + "\r\n\r\n  \t\r\n", kInstalled, ""},
             Case{"a line that is no gamedll line", loader + "\r\n// my note\r\n", kInstalled,
                  "line 2 is not a gamedll line"},
             Case{"more lines than gamedll lines", loader + "\r\n" + loader + "\r\n", kInstalled,
                  "it keeps 2 gamedll lines, and liblist.gam has 1 gamedll line"},
             Case{"fewer lines than gamedll lines", loader + "\r\n", twice,
                  "it keeps 1 gamedll line, and liblist.gam has more gamedll lines"},
             Case{"no gamedll line in liblist.gam", loader + "\r\n", Crlf("game \"CS\"\n// gamedll gone\n"),
                  "its status is now \"not installed\""},
         }) {
        WriteBytes(Game("cstrike/liblist.gam"), c.libList);
        WriteBytes(Game("cstrike/liblist.gam.veldrin"), c.kept);
        WriteBytes(Game("cstrike/dlls/veldrin.dll"), "bot");
        ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        if (!*c.why) {
            EXPECT_TRUE(outcome.Done()) << c.what << ": " << outcome.detail;
            EXPECT_EQ(Crlf("game \"Counter-Strike\"\n" + loader + "\nsecure \"1\"\n"),
                      ReadBytes(Game("cstrike/liblist.gam")));
            EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << c.what;
            continue;
        }
        // Without a gamedll line the mod no longer counts as installed: the
        // Remove is not made at all.
        const bool notInstalled = c.libList.find("gamedll \"") == std::string::npos;
        EXPECT_EQ(notInstalled ? ChangeProblem::StateChanged : ChangeProblem::KeptLinesUnfit, outcome.problem)
            << c.what;
        EXPECT_NE(std::string::npos, outcome.detail.find(c.why)) << c.what << ": " << outcome.detail;
        EXPECT_EQ(c.libList, ReadBytes(Game("cstrike/liblist.gam"))) << c.what;
        EXPECT_EQ(c.kept, ReadBytes(Game("cstrike/liblist.gam.veldrin"))) << c.what;
        EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll"))) << c.what;
    }
}

// A line is judged by the file it reaches, not by its spelling: Install
// keeps no line that reaches the bot's library, and Remove writes back no
// kept line that reaches it or leaves the mod's folder; it writes the
// catalogue's library instead, and deletes the bot's.
TEST_F(RemoveTest, LinesThatReachTheBotOrLeaveTheModAreNotGivenBack) {
    WriteBytes(Game("valve/dlls/veldrin.dll"), "another mod's bot");
    WriteBytes(Game("secret.dll"), "beside the mods");
    for (const char* spelling : {"dlls/veldrin.dll", "dlls\\\\veldrin.dll", "./dlls/veldrin.dll",
                                 "dlls\\..\\dlls\\veldrin.dll", "DLLS\\Veldrin.DLL"}) {
        const std::string line = std::string("gamedll \"") + spelling + "\"";
        WriteBytes(Game("cstrike/liblist.gam"), Crlf(line + "\n"));
        WriteBytes(Game("cstrike/dlls/veldrin.dll"), "bot");
        fs::remove(Game("cstrike/liblist.gam.veldrin"));
        // A spelling the scan reads as the bot's is installed already, and
        // Install is not made again.
        core_.ScanMods(sink_);
        const bool installed = Status(0) == "installed";
        EXPECT_EQ(installed ? ChangeProblem::StateChanged : ChangeProblem::None,
                  core_.InstallMod(200, {}, sink_).problem)
            << spelling;
        EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << spelling;
        // Written by hand, it is not written back either.
        WriteBytes(Game("cstrike/liblist.gam.veldrin"), Crlf(line + "\n"));
        ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        EXPECT_TRUE(outcome.Done()) << spelling << ": " << outcome.detail;
        EXPECT_NE(std::string::npos, outcome.keptLinesNotGivenBack.find("eldrin")) << spelling;
        EXPECT_EQ(Crlf("gamedll \"dlls\\mp.dll\"\n"), ReadBytes(Game("cstrike/liblist.gam"))) << spelling;
        EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll"))) << spelling;
    }
    // Each is told with the rule it failed, never as missing when it is there.
    struct Bad {
        const char* line;
        const char* rule;
    };
    for (Bad bad : {Bad{"..\\..\\..\\etc\\passwd", "outside the game folder"}, Bad{"liblist.gam", "not a .dll library"},
                    Bad{"..\\valve\\dlls\\veldrin.dll", "the bot's own library"},
                    Bad{"..\\..\\secret.dll", "outside the game folder"},
                    Bad{"C:\\Windows\\notepad.dll", "outside the game folder"},
                    Bad{"\\dlls\\mp.dll", "outside the game folder"}, Bad{"dlls", "not a .dll library"},
                    Bad{"maps.dll", "not a regular file"}, Bad{"dlls\\gone.dll", "there is no such file"}}) {
        const char* outside = bad.line;
        fs::create_directories(Game("cstrike/maps.dll"));
        WriteBytes(Game("cstrike/liblist.gam"), kInstalled);
        WriteBytes(Game("cstrike/dlls/veldrin.dll"), "bot");
        WriteBytes(Game("cstrike/liblist.gam.veldrin"), Crlf(std::string("gamedll \"") + outside + "\"\n"));
        ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        EXPECT_TRUE(outcome.Done()) << outside << ": " << outcome.detail;
        EXPECT_NE(std::string::npos, outcome.keptLinesNotGivenBack.find(bad.rule))
            << outside << ": " << outcome.keptLinesNotGivenBack;
        EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\nsecure \"1\"\n"),
                  ReadBytes(Game("cstrike/liblist.gam")))
            << outside;
    }
    EXPECT_EQ("another mod's bot", ReadBytes(Game("valve/dlls/veldrin.dll")));
    // Another mod's library, or one beside the mods, is inside the game
    // folder: the game loads it, and it goes back, a link on the way or not.
    WriteBytes(Game("valve/dlls/hl.dll"), "Half-Life's own");
    std::vector<std::string> inside{"..\\valve\\dlls\\hl.dll", "..\\secret.dll"};
    if (!test::HostIsWindows()) {
        fs::create_directory_symlink("../valve", Game("cstrike/linked"));
        inside.push_back("linked\\dlls\\hl.dll");
    }
    for (const std::string& line : inside) {
        const std::string libList = Crlf("game \"Counter-Strike\"\ngamedll \"" + line + "\"\nsecure \"1\"\n");
        WriteBytes(Game("cstrike/liblist.gam"), libList);
        fs::remove(Game("cstrike/liblist.gam.veldrin"));
        core_.ScanMods(sink_);
        EXPECT_TRUE(core_.InstallMod(200, {}, sink_).Done()) << line;
        EXPECT_EQ(kInstalled, ReadBytes(Game("cstrike/liblist.gam"))) << line;
        ChangeOutcome outcome = core_.RemoveMod(100, sink_);
        EXPECT_TRUE(outcome.Done() && outcome.keptLinesNotGivenBack.empty()) << line << ": " << outcome.detail;
        EXPECT_EQ(libList, ReadBytes(Game("cstrike/liblist.gam"))) << line;
        EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin"))) << line;
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

    // The loader comes back (it was being updated): Install keeps the kept
    // file as it is and says so, and the next Remove gives its line back.
    const std::string kept = ReadBytes(Game("cstrike/liblist.gam.veldrin"));
    WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "loader");
    core_.ScanMods(sink_);
    ChangeOutcome again = core_.InstallMod(200, {}, sink_);
    EXPECT_TRUE(again.Done()) << again.detail;
    EXPECT_NE(std::string::npos, again.keptLinesStay.find("liblist.gam.veldrin")) << again.keptLinesStay;
    EXPECT_EQ(kept, ReadBytes(Game("cstrike/liblist.gam.veldrin")));
    ChangeOutcome back = core_.RemoveMod(100, sink_);
    EXPECT_TRUE(back.Done() && back.keptLinesNotGivenBack.empty()) << back.detail << back.keptLinesNotGivenBack;
    EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"addons\\loader\\dlls\\loader.dll\"\nsecure \"1\"\n"),
              ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin")));
    fs::remove_all(Game("cstrike/addons"));

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

// A library the game holds, or a read-only one, cannot be deleted: the mod
// is back on its own library all the same, and the outcome says what stayed.
TEST_F(RemoveTest, ALibraryThatCannotBeDeletedIsTold) {
    fs::permissions(Game("cstrike/dlls/veldrin.dll"), fs::perms::owner_read);
    ChangeOutcome outcome = core_.RemoveMod(100, sink_);
    fs::permissions(Game("cstrike/dlls/veldrin.dll"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(outcome.Done());
    EXPECT_NE(std::string::npos, outcome.libraryLeft.find("veldrin.dll: ")) << outcome.libraryLeft;
    EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\nsecure \"1\"\n"),
              ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_EQ("not installed", Status(0));
}

// The mod changed after the rows were read (a game update replaced
// liblist.gam, another installer removed the bot): Remove decides again on
// the mod as it is, changes nothing the rows would no longer offer, and
// deletes no line it did not give back.
TEST_F(RemoveTest, AModChangedSinceTheScanIsDecidedAgain) {
    const std::string kept = Crlf("gamedll \"addons\\loader\\dlls\\loader.dll\"\n");
    WriteBytes(Game("cstrike/liblist.gam.veldrin"), kept);
    core_.ScanMods(sink_);
    fs::remove(Game("cstrike/liblist.gam"));
    ChangeOutcome outcome = core_.RemoveMod(100, sink_);
    EXPECT_EQ(ChangeProblem::StateChanged, outcome.problem) << outcome.detail;
    EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_EQ(kept, ReadBytes(Game("cstrike/liblist.gam.veldrin")));
    EXPECT_EQ("<no row>", Status(0));

    const std::string removed = Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\nsecure \"1\"\n");
    WriteBytes(Game("cstrike/liblist.gam"), removed);
    outcome = core_.RemoveMod(100, sink_);
    EXPECT_EQ(ChangeProblem::StateChanged, outcome.problem);
    EXPECT_NE(std::string::npos, outcome.detail.find("its status is now \"not installed\"")) << outcome.detail;
    EXPECT_EQ(removed, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_EQ(kept, ReadBytes(Game("cstrike/liblist.gam.veldrin")));

    // Only lines that reach the bot are changed: a long comment whose rows
    // read as the bot's line makes the mod look installed, and the real
    // loader line beside it stays.
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "loader");
    fs::remove(Game("cstrike/liblist.gam.veldrin"));
    const std::string comment = "// " + std::string(76, '-') + "gamedll \"dlls\\veldrin.dll\"";
    WriteBytes(Game("cstrike/liblist.gam"), Crlf(comment + "\n" + loader + "\n"));
    core_.ScanMods(sink_);
    ASSERT_EQ("installed", Status(0));
    EXPECT_TRUE(core_.RemoveMod(100, sink_).Done());
    EXPECT_NE(std::string::npos, ReadBytes(Game("cstrike/liblist.gam")).find(loader + "\r\n"));
}

TEST_F(RemoveTest, AMissingOwnLibraryOrEmptyBaseNameChangesNothingAndTheBotsOwnNameKeepsIt) {
    // The restored line would name a library the mod lacks: the game would
    // no longer start, so nothing changes and the outcome names the library.
    // So it does with a gamedll_linux line whose library is not there either.
    const std::string server = kInstalled + Crlf("gamedll_linux \"dlls/cs.so\"\n");
    for (const std::string& libList : {kInstalled, server}) {
        WriteBytes(Game("cstrike/liblist.gam"), libList);
        for (const char* own : {"mp", ""}) {
            WriteCatalogue({{"Counter-Strike", "cstrike", own}, {"Blank", "blank", ""}, {"Self", "self", "veldrin"}});
            fs::remove(Game("cstrike/dlls/mp.dll"));
            core_.ScanMods(sink_);
            ChangeOutcome outcome = core_.RemoveMod(100, sink_);
            EXPECT_EQ(ChangeProblem::OwnLibraryMissing, outcome.problem) << own;
            EXPECT_NE(std::string::npos, outcome.detail.find(*own ? "mp.dll" : "no game library")) << outcome.detail;
            EXPECT_EQ(libList, ReadBytes(Game("cstrike/liblist.gam")));
            EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
            EXPECT_EQ("installed", Status(0));
        }
    }
    WriteBytes(Game("cstrike/liblist.gam"), kInstalled);

    // A catalogue line that climbs out of the game folder names no library
    // the game would load, though a file is there.
    WriteBytes(Game("../outside/dlls/mp.dll"), "not the mod's");
    WriteCatalogue({{"Counter-Strike", "cstrike", "..\\..\\..\\outside\\dlls\\mp"}});
    core_.ScanMods(sink_);
    ChangeOutcome outcome = core_.RemoveMod(100, sink_);
    EXPECT_EQ(ChangeProblem::OwnLibraryUnusable, outcome.problem);
    EXPECT_NE(std::string::npos, outcome.detail.find("outside the game folder")) << outcome.detail;
    EXPECT_EQ(kInstalled, ReadBytes(Game("cstrike/liblist.gam")));
    WriteCatalogue({{"Counter-Strike", "cstrike", "mp"}, {"Blank", "blank", ""}, {"Self", "self", "veldrin"}});

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
