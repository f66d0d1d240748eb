// The fault table: the real core on real folders with bad input, failing
// file operations, odd files and a second installer at work. Each case runs
// the scan, Install (every extra ticked) and Remove in a child process where
// the host has fork (in the test's own process elsewhere), so that a crash,
// a hang or a memory blow-up is seen and measured instead of taking the
// suite down, and then checks what every case must leave behind:
//  - the child ended normally, within its time limit and memory bound;
//  - no file outside the game directory was touched, nor the package folder;
//  - no mod whose gamedll line named a present library before names a
//    missing one after;
//  - no temporary file is left behind.
// Each case prints one line of figures (time, peak memory), the table that
// docs/reliability.md records.
#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "core/locks.h"
#include "core/paths.h"
#include "core/liblist.h"
#include "core/player_messages.h"
#include "platform/text_encoding.h"
#include "support/fault_harness.h"
#include "support/host.h"
#include "support/game_folder.h"
#include "support/sample_game.h"

using test::Bytes;
using test::Crlf;
using test::Describe;
using test::Loadable;
using test::Parse;
using test::Snapshot;
using test::Take;
using test::TempFilesLeft;
using test::kNoon20240310;
using test::ReadBytes;
using test::WriteBytes;

namespace {

// Memory a case may add to the process it starts from. The sanitizers keep
// freed memory in quarantine for a while, so they get more room.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kMemoryBoundKb = 128 * 1024;
#else
constexpr long kMemoryBoundKb = 64 * 1024;
#endif

constexpr int kTimeLimitSeconds = 40;

const InstallOptions kEverything{true, true, true, true, true};

struct Figures {
    double seconds = 0;
    long peakKb = 0;
};

// The outcome a case's work keeps for the test to look at after it.
ChangeOutcome* g_kept = nullptr;
#if !defined(_WIN32)
int g_reportFd = -1;
#endif

void Keep(const ChangeOutcome& outcome) {
#if !defined(_WIN32)
    if (g_reportFd >= 0) {
        const std::string line = Describe(outcome) + "\n";
        (void)!::write(g_reportFd, line.data(), line.size());
        return;
    }
#endif
    if (g_kept) *g_kept = outcome;
}

class FaultTableTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        entries_ = {
            {"Counter-Strike", "cstrike", "mp"}, {"Half-Life", "valve", "hl"}, {"Deathmatch Classic", "dmc", "dmc"}};
        WriteCatalogue(entries_);
        WritePackageLibrary(kNoon20240310);
        for (const char* extra : {"Veldrin_names.txt", "Veldrin_chat.txt", "Veldrin.cfg", "bot_weapon_config.cfg"})
            WriteBytes(Game("Veldrin") / extra, std::string("package ") + extra);
        for (const char* wp : {"de_dust.vwp", "cs_office.VWP"}) WriteBytes(Game("Veldrin/cstrike") / wp, "waypoints");
        MakeHealthyMod("cstrike", "mp", "game \"Counter-Strike\"\n");
        MakeHealthyMod("valve", "hl", "game \"Half-Life\"\n");
        MakeHealthyMod("dmc", "dmc", "game \"Deathmatch Classic\"\n");
        // Beside the game directory: must never be touched.
        WriteBytes(root_ / "outside" / "liblist.gam", Crlf("gamedll \"dlls\\outside.dll\"\n"));
        WriteBytes(root_ / "outside" / "dlls" / "veldrin.dll", "not ours");
        WriteBytes(root_ / "outside" / "maps" / "keep.vwp", "not ours");
    }

    void MakeHealthyMod(const std::string& folder, const std::string& library, const std::string& head) {
        WriteBytes(Game(folder + "/liblist.gam"), Crlf(head + "gamedll \"dlls\\" + library + ".dll\"\n"));
        WriteBytes(Game(folder + "/dlls/" + library + ".dll"), "MZ " + library);
        fs::create_directories(Game(folder + "/maps"));
    }

    // The gamedll values of every mod folder that load a present file.
    std::set<std::string> WorkingMods() const {
        std::set<std::string> working;
        for (const auto& entry : fs::directory_iterator(game_)) {
            if (!entry.is_directory() || entry.path().filename() == "Veldrin") continue;
            if (Loadable(entry.path())) working.insert(entry.path().filename().string());
        }
        return working;
    }

    using Work = std::function<void(InstallerCore&, test::RecordingSink&)>;

    // Runs work in a child process (in this one where there is no fork) and
    // checks what every case must leave. The outcome the work last kept is in
    // kept_ afterwards.
    Figures RunCase(const std::string& name, const Work& work) {
        const Snapshot outside = Take(root_, game_);
        const Snapshot package = Take(game_ / "Veldrin");
        const std::set<std::string> workingBefore = WorkingMods();
        kept_ = ChangeOutcome();
        Figures f = Run(name, work);
        if (checkPackage_) {
            EXPECT_TRUE(package == Take(game_ / "Veldrin")) << name << ": the package folder changed";
        }
        EXPECT_TRUE(outside == Take(root_, game_)) << name << ": a file outside the game directory changed";
        for (const std::string& mod : workingBefore)
            EXPECT_TRUE(Loadable(game_ / mod)) << name << ": " << mod << " now names a missing library";
        EXPECT_FALSE(TempFilesLeft(game_)) << name << ": a temporary file was left";
        std::printf("| %-44s | %8.3f s | %7.1f MB |\n", name.c_str(), f.seconds, static_cast<double>(f.peakKb) / 1024);
        return f;
    }

#if !defined(_WIN32)
    Figures Run(const std::string& name, const Work& work) {
        const test::ChildRun run = test::RunInChild(
            [&work](int reportFd) {
                g_reportFd = reportFd;
                InstallerCore core;
                test::RecordingSink sink;
                core.StampSourceLibrary();
                work(core, sink);
            },
            kTimeLimitSeconds);
        if (run.timedOut) ADD_FAILURE() << name << ": still running after " << kTimeLimitSeconds << " s";
        else EXPECT_TRUE(run.endedNormally) << name << ": the core crashed";
        EXPECT_LE(run.peakKb, kMemoryBoundKb) << name << ": peak memory " << run.peakKb << " kB";
        // The last line the work kept.
        if (!run.lastReport.empty()) kept_ = Parse(run.lastReport);
        Figures f;
        f.seconds = run.seconds;
        f.peakKb = run.peakKb;
        return f;
    }
#else
    // Windows has no fork: the work runs here, where a crash would end the
    // suite, which reports it all the same.
    Figures Run(const std::string&, const Work& work) {
        auto start = std::chrono::steady_clock::now();
        g_kept = &kept_;
        InstallerCore core;
        test::RecordingSink sink;
        core.StampSourceLibrary();
        work(core, sink);
        platform::SetFaultHook({});
        g_kept = nullptr;
        Figures f;
        f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return f;
    }
#endif

    // Scan, Install into slot with every extra, Remove from it.
    static void ScanInstallRemove(InstallerCore& core, test::RecordingSink& sink, int slot) {
        core.ScanMods(sink);
        core.InstallMod(ItemData(StatusNotInstalled, slot), kEverything, sink);
        core.RemoveMod(ItemData(StatusInstalled, slot), sink);
    }

    // Scan, then Install into slot 0 with every extra, keeping the outcome.
    static void ScanInstall(InstallerCore& core, test::RecordingSink& sink) {
        core.ScanMods(sink);
        Keep(core.InstallMod(200, kEverything, sink));
    }

    static void ScanRemove(InstallerCore& core, test::RecordingSink& sink) {
        core.ScanMods(sink);
        Keep(core.RemoveMod(100, sink));
    }

    std::string StatusAfter(const Work& work) {
        InstallerCore core;
        test::RecordingSink sink;
        core.StampSourceLibrary();
        work(core, sink);
        core.ScanMods(sink);
        const auto* row = sink.ForSlot(0);
        return row ? row->status : "<no row>";
    }

    std::vector<test::CatalogueEntry> entries_;
    bool checkPackage_ = true;
    ChangeOutcome kept_;
};

// --- Bad liblist.gam files ------------------------------------------------

TEST_F(FaultTableTest, EmptyLibList) {
    WriteBytes(Game("cstrike/liblist.gam"), "");
    RunCase("empty liblist.gam", [](InstallerCore& c, test::RecordingSink& s) { ScanInstallRemove(c, s, 0); });
    EXPECT_EQ("", ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

TEST_F(FaultTableTest, BinaryLibList) {
    std::mt19937 random(7);
    std::string junk(64 * 1024, '\0');
    for (char& c : junk) c = static_cast<char>(random());
    junk += "\r\ngamedll \"dlls\\mp.dll\"\r\n";
    WriteBytes(Game("cstrike/liblist.gam"), junk);
    RunCase("binary liblist.gam (64 kB of noise)",
            [](InstallerCore& c, test::RecordingSink& s) { ScanInstallRemove(c, s, 0); });
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

TEST_F(FaultTableTest, FiftyMegabyteLibList) {
    // Lines as a liblist.gam has them, two million of them, with the gamedll
    // line near the end.
    std::string text;
    text.reserve(52u << 20);
    for (int i = 0; text.size() < (50u << 20); ++i) text += "hlversion \"1111\" // " + std::to_string(i) + "\r\n";
    text += "gamedll \"dlls\\mp.dll\"\r\nedicts \"1800\"\r\n";
    WriteBytes(Game("cstrike/liblist.gam"), text);
    RunCase("50 MB liblist.gam: scan, Install", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, {}, s);
    });
    EXPECT_EQ(text.size() + 5, fs::file_size(Game("cstrike/liblist.gam")));  // "mp" became "veldrin"
    RunCase("50 MB liblist.gam: scan, Remove", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.RemoveMod(100, s);
    });
    EXPECT_TRUE(text == ReadBytes(Game("cstrike/liblist.gam")));  // the round trip gives it back byte for byte
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));

    // Two million gamedll lines, each kept for Remove and given back: memory
    // stays within the bound, and each distinct library is looked up once.
    std::string lines;
    lines.reserve(52u << 20);
    for (int i = 0; lines.size() < (50u << 20); ++i)
        lines += i % 2 ? "gamedll \"dlls\\mp.dll\"\r\n" : "gamedll \"addons\\loader\\dlls\\loader.dll\"\r\n";
    WriteBytes(Game("cstrike/liblist.gam"), lines);
    WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "MZ loader");
    RunCase("50 MB of gamedll lines: scan, Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    RunCase("50 MB of gamedll lines: scan, Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(lines == ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/liblist.gam.veldrin")));
}

// --- Bad catalogues ---------------------------------------------------------

TEST_F(FaultTableTest, CatalogueOfAMillionLines) {
    // A million lines: records with empty names, which the loader skips, and
    // every 20,000th record a real one, so the whole file must be read.
    std::string text;
    text.reserve(12u << 20);
    int named = 0;
    for (int record = 0; record < 1000000 / 3; ++record) {
        if (record % 20000 == 19999) {
            text += "Counter-Strike " + std::to_string(named++) + "\r\ncstrike\r\nmp\r\n";
        } else {
            text += "\r\nfolder" + std::to_string(record) + "\r\nlibrary\r\n";
        }
    }
    WriteBytes(Game("Veldrin/veldrinins.ini"), text);
    RunCase("catalogue of a million lines", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, kEverything, s);
    });
    InstallerCore core;
    test::RecordingSink sink;
    core.ScanMods(sink);
    EXPECT_EQ(16, core.m_nModCount);
    EXPECT_EQ(16u, sink.rows.size());
    EXPECT_EQ("installed", sink.rows.at(0).status);
}

TEST_F(FaultTableTest, CatalogueOfAMillionNamedLines) {
    std::string text;
    text.reserve(20u << 20);
    for (int record = 0; record < 1000000 / 3; ++record)
        text += "Mod " + std::to_string(record) + "\r\ncstrike\r\nmp\r\n";
    WriteBytes(Game("Veldrin/veldrinins.ini"), text);
    RunCase("catalogue of a million lines, all named",
            [](InstallerCore& c, test::RecordingSink& s) { ScanInstallRemove(c, s, 49); });
    InstallerCore core;
    test::RecordingSink sink;
    core.ScanMods(sink);
    EXPECT_EQ(MAX_MODS, core.m_nModCount);
    EXPECT_EQ(static_cast<size_t>(MAX_MODS), sink.rows.size());
}

TEST_F(FaultTableTest, NamesWithNonAsciiBytes) {
    // Latin-1 and UTF-8 bytes in names and folders; a folder's ASCII letters
    // match ignoring case, its other bytes as they are.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) test::UnsetEnv(variable);
    WriteCatalogue({{"Sp\xe9l \xc4rger", "MOD\xe9", "m\xfc"}, {"Caf\xc3\xa9", "caf\xc3\xa9", "caf\xc3\xa9"}});
    MakeHealthyMod("mod\xe9", "m\xfc", "game \"\xe9\"\n");
    MakeHealthyMod("caf\xc3\xa9", "caf\xc3\xa9", "game \"Caf\xc3\xa9\"\n");
    RunCase("names with non-ASCII bytes", [](InstallerCore& c, test::RecordingSink& s) {
        ScanInstallRemove(c, s, 0);
        c.InstallMod(201, kEverything, s);
    });
    EXPECT_EQ(Crlf("game \"\xe9\"\ngamedll \"dlls\\m\xfc.dll\"\n"), ReadBytes(Game("mod\xe9/liblist.gam")));
    EXPECT_EQ(Crlf("game \"Caf\xc3\xa9\"\ngamedll \"dlls\\veldrin.dll\"\n"),
              ReadBytes(Game("caf\xc3\xa9/liblist.gam")));
    InstallerCore core;
    test::RecordingSink sink;
    core.StampSourceLibrary();
    core.ScanMods(sink);
    ASSERT_EQ(2u, sink.rows.size());
    // The Latin-1 name is shown in Windows-1252, the code page of an English
    // or unknown language, as UTF-8 (on Windows, where the user's locale
    // gives the code page, when it is that one).
    if (!test::HostIsWindows() || platform::PlayerCodePage() == 1252) {
        EXPECT_EQ("Sp\xc3\xa9l \xc3\x84rger", sink.rows[0].name);
    }
    EXPECT_EQ("installed", sink.rows[1].status);
}

TEST_F(FaultTableTest, FolderLinesThatLeaveTheGameDirectory) {
    WriteCatalogue({{"Up", "..", "mp"},
                    {"Beside", "..\\outside", "mp"},
                    {"Slash", "../outside", "mp"},
                    {"Drive", "C:\\outside", "mp"},
                    {"Dot", ".", "mp"},
                    {"Empty", "", "mp"}});
    RunCase("folder lines that leave the game directory", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        for (int slot = 0; slot < 6; ++slot) {
            c.InstallMod(ItemData(StatusNotInstalled, slot), kEverything, s);
            c.RemoveMod(ItemData(StatusInstalled, slot), s);
        }
    });
    InstallerCore core;
    test::RecordingSink sink;
    core.ScanMods(sink);
    EXPECT_TRUE(sink.rows.empty());
}

// --- Bad mod folders ----------------------------------------------------------

TEST_F(FaultTableTest, ReadOnlyLibList) {
    const std::string before = ReadBytes(Game("cstrike/liblist.gam"));
    fs::permissions(Game("cstrike/liblist.gam"), fs::perms::owner_read | fs::perms::group_read);
    RunCase("read-only liblist.gam: Install", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, kEverything, s);
    });
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_EQ("not installed", StatusAfter([](InstallerCore&, test::RecordingSink&) {}));

    // Installed, then made read-only: Remove must keep the library it names.
    fs::permissions(Game("cstrike/liblist.gam"), fs::perms::owner_write, fs::perm_options::add);
    StatusAfter([](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, {}, s);
    });
    fs::permissions(Game("cstrike/liblist.gam"), fs::perms::owner_read | fs::perms::group_read);
    RunCase("read-only liblist.gam: Remove", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.RemoveMod(100, s);
    });
    EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    EXPECT_EQ("installed", StatusAfter([](InstallerCore&, test::RecordingSink&) {}));
}

TEST_F(FaultTableTest, DllsFolderIsAFile) {
    fs::remove_all(Game("cstrike/dlls"));
    WriteBytes(Game("cstrike/dlls"), "a file where the folder should be");
    const std::string before = ReadBytes(Game("cstrike/liblist.gam"));
    RunCase("dlls folder is a file", [](InstallerCore& c, test::RecordingSink& s) { ScanInstallRemove(c, s, 0); });
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_EQ("a file where the folder should be", ReadBytes(Game("cstrike/dlls")));
}

TEST_F(FaultTableTest, MapsFolderMissing) {
    fs::remove_all(Game("cstrike/maps"));
    RunCase("maps folder missing", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, kEverything, s);
    });
    EXPECT_FALSE(fs::exists(Game("cstrike/maps")));
    EXPECT_EQ("installed", StatusAfter([](InstallerCore&, test::RecordingSink&) {}));
}

TEST_F(FaultTableTest, PackageLibraryVanishesBetweenScanAndInstall) {
    checkPackage_ = false;
    const std::string before = ReadBytes(Game("cstrike/liblist.gam"));
    RunCase("package library gone before Install", [this](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        fs::remove(Game("Veldrin/veldrin.dll"));
        c.InstallMod(200, kEverything, s);
    });
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));

    // Gone while Install copies it: checked readable, then missing.
    WritePackageLibrary();
    RunCase("package library gone during the copy", [this](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        platform::SetFaultHook([this](platform::FileOp op, const std::string&) {
            if (op == platform::FileOp::Copy) fs::remove(Game("Veldrin/veldrin.dll"));
            return false;
        });
        c.InstallMod(200, kEverything, s);
    });
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));

    // Emptied while Install copies it, after it was judged on the open
    // handle: the copy gets fewer bytes than the file had, and fails.
    WritePackageLibrary();
    RunCase("package library emptied during the copy", [this](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        platform::SetFaultHook([this](platform::FileOp op, const std::string& path) {
            if (op == platform::FileOp::Read && path.find("veldrin.dll") != std::string::npos)
                fs::resize_file(Game("Veldrin/veldrin.dll"), 0);
            return false;
        });
        Keep(c.InstallMod(200, kEverything, s));
    });
    EXPECT_EQ(ChangeProblem::PackageLibraryUnusable, kept_.problem) << Describe(kept_);
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// --- Every read, write, rename, copy and delete made to fail ------------------

// Counts the calls of each operation an Install and a Remove make, then
// reruns them once per call with that one call failing.
TEST_F(FaultTableTest, EachFileOperationFailingInTurn) {
    using platform::FileOp;
    const std::map<FileOp, const char*> ops = {{FileOp::Read, "read"},     {FileOp::OpenWrite, "open for writing"},
                                               {FileOp::Write, "write"},   {FileOp::Close, "close after writing"},
                                               {FileOp::Copy, "copy"},     {FileOp::Rename, "rename"},
                                               {FileOp::Remove, "delete"}, {FileOp::Flush, "flush to disk"}};
    const std::string original = ReadBytes(Game("cstrike/liblist.gam"));
    for (const char* step : {"Install", "Remove"}) {
        const bool install = std::string(step) == "Install";
        // Remove starts from an installed mod.
        auto prepare = [&] {
            WriteBytes(Game("cstrike/liblist.gam"), original);
            fs::remove(Game("cstrike/dlls/veldrin.dll"));
            if (!install) {
                InstallerCore core;
                test::RecordingSink sink;
                core.StampSourceLibrary();
                core.ScanMods(sink);
                core.InstallMod(200, {}, sink);
            }
        };
        prepare();
        const std::string start = ReadBytes(Game("cstrike/liblist.gam"));
        std::map<FileOp, int> calls;
        {
            InstallerCore core;
            test::RecordingSink sink;
            core.StampSourceLibrary();
            core.ScanMods(sink);
            platform::SetFaultHook([&](FileOp op, const std::string&) {
                ++calls[op];
                return false;
            });
            if (install) core.InstallMod(200, kEverything, sink);
            else core.RemoveMod(100, sink);
            platform::SetFaultHook({});
        }
        for (const auto& [op, what] : ops) {
            for (int n = 0; n < calls[op]; ++n) {
                prepare();
                std::string name = std::string(step) + ": " + what + " #" + std::to_string(n + 1) + " of " +
                                   std::to_string(calls[op]) + " fails";
                const FileOp failing = op;
                RunCase(name, [&, failing, n](InstallerCore& c, test::RecordingSink& s) {
                    c.ScanMods(s);
                    int seen = 0;
                    platform::SetFaultHook([&](FileOp o, const std::string&) { return o == failing && seen++ == n; });
                    if (install) c.InstallMod(200, kEverything, s);
                    else c.RemoveMod(100, s);
                });
                // The liblist.gam is either as it was or fully rewritten.
                const std::string now = ReadBytes(Game("cstrike/liblist.gam"));
                const std::string done =
                    install ? Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\veldrin.dll\"\n") : original;
                EXPECT_TRUE(now == start || now == done) << name;
            }
        }
    }
}

// --- Faults an adversary found: odd files, a second installer, a full disk -----

#if !defined(_WIN32)
// Two installers at once: one process installs, the other removes the same
// mod, over and over, each deciding from a scan made before the lock, as a
// window's rows or a script's list are. The mod's gamedll line is a
// server's plug-in loader. After every step each checks, holding the game
// folder's lock as an installer does, that liblist.gam is one of the two
// whole files and names a library that is there, and that the loader's
// line is in liblist.gam or kept beside it: a change the mod no longer
// offers is not made. In a second trial a third process keeps replacing the
// catalogue by a rename, as an editor saving it or the package unpacked
// again would: the lock must hold all the same. Then two Removes at once,
// a hundred times: the loader's line must come back every time.
TEST_F(FaultTableTest, TwoInstallersAtOnce) {
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    WriteBytes(Game("cstrike/addons/loader/dlls/loader.dll"), "MZ loader");
    const std::string removed = Crlf("game \"Counter-Strike\"\n" + loader + "\n");
    const std::string installed = Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\veldrin.dll\"\n");
    WriteBytes(Game("cstrike/liblist.gam"), removed);
    const std::string catalogue = Game("Veldrin/veldrinins.ini").string();
    const std::string gameDir = game_.string();
    // True when the mod is one of the two whole files, loads, and keeps the
    // loader's line where it belongs.
    auto whole = [&] {
        const std::string now = ReadBytes(Game("cstrike/liblist.gam"));
        const bool kept = fs::exists(Game("cstrike/liblist.gam.veldrin"));
        if (now == removed) return !kept && Loadable(Game("cstrike"));
        return now == installed && kept && ReadBytes(Game("cstrike/liblist.gam.veldrin")) == loader + "\r\n" &&
               Loadable(Game("cstrike"));
    };
    auto done = [](const ChangeOutcome& outcome) {
        return outcome.Done() || outcome.problem == ChangeProblem::StateChanged;
    };
    for (bool swapCatalogue : {false, true}) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        auto racer = [&](bool install) {
            int steps = 0, broken = 0, made = 0;
            while (std::chrono::steady_clock::now() < until) {
                InstallerCore core;
                test::RecordingSink sink;
                core.StampSourceLibrary();
                core.ScanMods(sink);
                ChangeOutcome outcome = install ? core.InstallMod(200, {}, sink) : core.RemoveMod(100, sink);
                made += outcome.Done();
                auto lock = platform::FileLock::Acquire(gameDir.c_str(), 10000);
                if (!lock || !done(outcome) || !whole()) {
                    std::fprintf(stderr, "step %d (%s): %s\n", steps, install ? "Install" : "Remove",
                                 Describe(outcome).c_str());
                    ++broken;
                }
                ++steps;
            }
            std::printf("| two installers at once%s: %s | %d steps | %d made | %d broken |\n",
                        swapCatalogue ? ", the catalogue renamed over" : "", install ? "Install" : "Remove", steps,
                        made, broken);
            fflush(nullptr);
            _exit(broken == 0 && made > 0 ? 0 : 1);
        };
        fflush(nullptr);
        pid_t swapper = -1;
        if (swapCatalogue) {
            swapper = fork();
            if (swapper == 0) {
                const std::string text = ReadBytes(catalogue), fresh = catalogue + ".new";
                int swaps = 0;
                while (std::chrono::steady_clock::now() < until) {
                    WriteBytes(fresh, text);
                    if (::rename(fresh.c_str(), catalogue.c_str()) == 0) ++swaps;
                }
                std::printf("| the catalogue renamed over | %d times |\n", swaps);
                fflush(nullptr);
                _exit(swaps > 0 ? 0 : 1);
            }
        }
        pid_t installer = fork();
        if (installer == 0) racer(true);
        pid_t remover = fork();
        if (remover == 0) racer(false);
        int status = 0;
        ASSERT_EQ(installer, waitpid(installer, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the installing process saw a broken mod";
        ASSERT_EQ(remover, waitpid(remover, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the removing process saw a broken mod";
        if (swapper > 0) {
            ASSERT_EQ(swapper, waitpid(swapper, &status, 0));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the catalogue was never renamed over";
        }
        EXPECT_FALSE(TempFilesLeft(game_));
    }

    // Two Removes that both read the mod as installed.
    int lost = 0, trials = 0;
    for (; trials < 100; ++trials) {
        InstallerCore core;
        test::RecordingSink sink;
        core.StampSourceLibrary();
        core.ScanMods(sink);
        if (sink.ForSlot(0)->status != "installed") {
            ASSERT_TRUE(core.InstallMod(200, {}, sink).Done());
        }
        int ready[2];
        ASSERT_EQ(0, ::pipe(ready));
        fflush(nullptr);
        pid_t removers[2];
        for (pid_t& child : removers) {
            child = fork();
            if (child == 0) {
                InstallerCore mine;
                test::RecordingSink rows;
                mine.StampSourceLibrary();
                mine.ScanMods(rows);
                char go;
                ::close(ready[1]);
                (void)!::read(ready[0], &go, 1);  // both have scanned: now both remove
                _exit(done(mine.RemoveMod(100, rows)) ? 0 : 1);
            }
        }
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ::close(ready[1]);
        for (pid_t child : removers) {
            int status = 0;
            ASSERT_EQ(child, waitpid(child, &status, 0));
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "trial " << trials;
        }
        if (ReadBytes(Game("cstrike/liblist.gam")) != removed || fs::exists(Game("cstrike/liblist.gam.veldrin")))
            ++lost;
    }
    std::printf("| two Removes at once | %d trials | %d lost the loader's line |\n", trials, lost);
    EXPECT_EQ(0, lost);
}
#endif

// A second installer that holds the game folder: the change waits a few
// seconds, then changes nothing and says another installer is busy.
TEST_F(FaultTableTest, AnotherInstallerHoldsTheGameFolder) {
    const std::string before = ReadBytes(Game("cstrike/liblist.gam"));
    auto lock = platform::FileLock::Acquire(game_.string().c_str(), 0);
    ASSERT_TRUE(lock);
    Figures f = RunCase("another installer holds the game folder", ScanInstall);
    EXPECT_EQ(ChangeProblem::Busy, kept_.problem) << kept_.detail;
    // The folder is named, and the line says each thing once.
    EXPECT_EQ(game_.string() + ": another installer holds its lock", kept_.detail);
    const auto busyLine = [this] {
        return ChangeNotes(ChangeAction::Install, "cstrike (Counter-Strike)", "cstrike", kept_, false).at(0).text;
    };
    EXPECT_EQ("could not install the bot into cstrike (Counter-Strike), the folder is busy (" + game_.string() +
                  ": another installer holds its lock); the mod is left as it was",
              busyLine());
    EXPECT_GE(f.seconds, locks::kLockWaitMilliseconds / 1000.0 - 0.1);
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
    lock.reset();

    // The mod's folder reached from another game folder, through a link, by
    // an installer of that game folder: the lock on the mod's folder holds.
    if (test::HostIsWindows()) return;  // symbolic links need a privilege players lack
    const fs::path other = root_ / "other";
    fs::create_directories(other);
    fs::create_directory_symlink(Game("cstrike"), other / "cstrike");
    auto modLock = platform::FileLock::Acquire((other / "cstrike").string().c_str(), 0);
    ASSERT_TRUE(modLock);
    f = RunCase("another game folder's installer holds the mod folder", ScanInstall);
    EXPECT_EQ(ChangeProblem::Busy, kept_.problem) << kept_.detail;
    EXPECT_EQ("cstrike: another installer holds its lock", kept_.detail);
    EXPECT_EQ(std::string::npos, busyLine().find("game folder")) << busyLine();
    EXPECT_GE(f.seconds, locks::kLockWaitMilliseconds / 1000.0 - 0.1);
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
}

// A copy whose target is its own source, through a link, a hard link or a
// folder line naming the package folder, is done already: it must not empty
// the package's file.
TEST_F(FaultTableTest, ACopyOntoItself) {
    // Symbolic links on Windows need a privilege players do not have.
    if (!test::HostIsWindows()) fs::create_symlink("../Veldrin/Veldrin.cfg", Game("cstrike/Veldrin.cfg"));
    fs::create_hard_link(Game("Veldrin/cstrike/de_dust.vwp"), Game("cstrike/maps/de_dust.vwp"));
    RunCase("a copy onto itself: link, hard link", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_EQ("package Veldrin.cfg", ReadBytes(Game("cstrike/Veldrin.cfg")));
    EXPECT_EQ("waypoints", ReadBytes(Game("cstrike/maps/de_dust.vwp")));

    checkPackage_ = false;
    const std::string names = ReadBytes(Game("Veldrin/Veldrin_names.txt"));
    WriteCatalogue({{"The package itself", "Veldrin", "mp"}});
    MakeHealthyMod("Veldrin", "mp", "game \"Package\"\n");
    RunCase("a copy onto itself: the package folder as a mod", ScanInstall);
    for (const char* extra : {"Veldrin_names.txt", "Veldrin_chat.txt", "Veldrin.cfg"})
        EXPECT_EQ(std::string("package ") + extra, ReadBytes(Game("Veldrin") / extra)) << extra;
    EXPECT_EQ(names, ReadBytes(Game("Veldrin/Veldrin_names.txt")));
}

#if !defined(_WIN32)
// Extras on a full disk, on a real small file system: at every level of
// free space, each extra is the player's old version or the package's whole
// one, never a part; the outcome lists the ones that could not be copied;
// the mod itself is installed or left as it was.
TEST_F(FaultTableTest, ExtrasOnAFullDisk) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path small = root_ / "small";
    fs::create_directories(small);
    if (::mount("veldrin-test", small.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
        GTEST_SKIP() << "mounting a 256 kB tmpfs was refused: " << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};

    const std::string oldWaypoint(20000, 'o'), newWaypoint(20000, 'n');
    const std::string library(8192, 'L');
    int levels = 0;
    bool allFit = false;
    for (int freeKb = 0; !allFit && freeKb <= 200; freeKb += 4) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(small)) fs::remove_all(entry.path(), ec);
        const fs::path game = small / "Half-Life";
        WriteBytes(game / "Veldrin/veldrinins.ini", Crlf("Counter-Strike\ncstrike\nmp\n"));
        WriteBytes(game / "Veldrin/veldrin.dll", library);
        WriteBytes(game / "Veldrin/cstrike/de_dust.vwp", newWaypoint);
        WriteBytes(game / "Veldrin/Veldrin.cfg", "package cfg");
        const std::string liblistBefore = Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\n");
        WriteBytes(game / "cstrike/liblist.gam", liblistBefore);
        WriteBytes(game / "cstrike/dlls/mp.dll", "MZ mp");
        WriteBytes(game / "cstrike/maps/de_dust.vwp", oldWaypoint);
        WriteBytes(game / "cstrike/Veldrin.cfg", "player's cfg");
        // An earlier Install's copies, as its record has them: an upgrade
        // replaces them.
        std::string record;
        for (const char* extra : {"maps\\de_dust.vwp", "Veldrin.cfg"}) {
            std::string path = extra;
            std::replace(path.begin(), path.end(), '\\', '/');
            struct stat st {};
            ASSERT_EQ(0, ::stat((game / "cstrike" / path).c_str(), &st));
            record += std::to_string(st.st_size) + " " +
                      std::to_string(int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec) + " " + extra +
                      "\r\n";
        }
        WriteBytes(game / "cstrike/Veldrin.installed", record);
        // Fill the disk, then free exactly the level's room.
        {
            const fs::path filler = small / "filler";
            int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
            ASSERT_GE(fd, 0);
            std::string block(4096, 'f');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            off_t size = ::lseek(fd, 0, SEEK_END);
            ASSERT_EQ(0, ::ftruncate(fd, std::max<off_t>(0, size - off_t(freeKb) * 1024)));
            ::close(fd);
        }
        std::strcpy(g_szGameDir, game.string().c_str());
        InstallerCore core;
        test::RecordingSink sink;
        core.StampSourceLibrary();
        core.ScanMods(sink);
        const ChangeOutcome outcome = core.InstallMod(200, InstallOptions{false, true, true, false, false}, sink);
        ++levels;

        const std::string liblistAfter = ReadBytes(game / "cstrike/liblist.gam");
        const std::string waypoint = ReadBytes(game / "cstrike/maps/de_dust.vwp");
        const std::string cfg = ReadBytes(game / "cstrike/Veldrin.cfg");
        const std::string level = std::to_string(freeKb) + " kB free: " + Describe(outcome);
        EXPECT_TRUE(Loadable(game / "cstrike")) << level;
        EXPECT_FALSE(TempFilesLeft(game)) << level;
        EXPECT_TRUE(waypoint == oldWaypoint || waypoint == newWaypoint) << level;
        EXPECT_TRUE(cfg == "player's cfg" || cfg == "package cfg") << level;
        auto listed = [&](const char* file) {
            for (const std::string& extra : outcome.extrasNotCopied)
                if (extra.find(file) != std::string::npos) return true;
            return false;
        };
        if (outcome.Done()) {
            EXPECT_NE(liblistBefore, liblistAfter) << level;
            EXPECT_EQ(library, ReadBytes(game / "cstrike/dlls/veldrin.dll")) << level;
            EXPECT_EQ(listed("de_dust.vwp"), waypoint == oldWaypoint) << level;
            EXPECT_EQ(listed("Veldrin.cfg"), cfg == "player's cfg") << level;
            allFit = outcome.extrasNotCopied.empty();
        } else {
            EXPECT_EQ(ChangeProblem::DiskFull, outcome.problem) << level;
            EXPECT_EQ(liblistBefore, liblistAfter) << level;
            EXPECT_EQ(oldWaypoint, waypoint) << level;
            EXPECT_FALSE(fs::exists(game / "cstrike/dlls/veldrin.dll")) << level;
        }
        std::printf("| full disk, %3d kB free | %-12s | %zu extras not copied |\n", freeKb,
                    outcome.Done() ? "installed" : "left as it was", outcome.extrasNotCopied.size());
    }
    EXPECT_TRUE(allFit) << "the install never fit in " << levels << " levels";
}
#endif

// Names that a search finds in the package folder are file names: one that
// holds a separator (legal on Linux) reaches, as a Windows path, a file
// beside the game folder, which the copy would empty.
TEST_F(FaultTableTest, PackageFileNamesThatLeaveTheirFolder) {
    if (test::HostIsWindows()) GTEST_SKIP() << "Windows file names cannot hold a separator";
    WriteBytes(Game("Veldrin/cstrike/..\\..\\..\\outside\\victim.vwp"), "escaped");
    WriteBytes(root_ / "outside" / "victim.vwp", "a player's file beside the game");
    RunCase("package file names that leave their folder", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_EQ("a player's file beside the game", ReadBytes(root_ / "outside" / "victim.vwp"));
    EXPECT_EQ("waypoints", ReadBytes(Game("cstrike/maps/de_dust.vwp")));
}

#if !defined(_WIN32)
// Run as root on a player's folder, a package file that is a link out of
// the package (to /etc/shadow, say) would be copied into the mod and handed
// to the folder's owner: only regular files reached without a link out of
// the package are used; the others are listed as not copied.
TEST_F(FaultTableTest, PackageFilesThatLinkOutOfThePackage) {
    WriteBytes(root_ / "outside" / "secret", "not for the game folder");
    WriteBytes(root_ / "outside" / "veldrin.dll", "MZ not the package's");
    fs::create_symlink(root_ / "outside" / "secret", Game("Veldrin/cstrike/shadow.vwp"));
    fs::remove(Game("Veldrin/Veldrin.cfg"));
    fs::create_symlink(root_ / "outside" / "secret", Game("Veldrin/Veldrin.cfg"));
    // A link that stays inside the package is the package's own file.
    fs::create_symlink("de_dust.vwp", Game("Veldrin/cstrike/dust2.vwp"));
    RunCase("package files that link out of the package", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_EQ(2u, kept_.extrasNotCopied.size()) << Describe(kept_);
    EXPECT_FALSE(fs::exists(Game("cstrike/maps/shadow.vwp")));
    EXPECT_FALSE(fs::exists(Game("cstrike/Veldrin.cfg")));
    EXPECT_EQ("waypoints", ReadBytes(Game("cstrike/maps/dust2.vwp")));

    checkPackage_ = false;
    RunCase("package files that link out of the package: Remove", ScanRemove);
    fs::remove(Game("Veldrin/veldrin.dll"));
    fs::create_symlink(root_ / "outside" / "veldrin.dll", Game("Veldrin/veldrin.dll"));
    RunCase("a package library that links out of the package", ScanInstall);
    EXPECT_EQ(ChangeProblem::PackageLibraryUnusable, kept_.problem) << Describe(kept_);
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// A change killed at any moment leaves its temporary files behind, up to a
// whole copy of the library; the next change sweeps them from the folders
// it writes, and the mod is never left broken.
TEST_F(FaultTableTest, KilledChangesLeaveNothingForLong) {
    WritePackageLibrary(kNoon20240310, std::string(4 << 20, 'M'));
    std::mt19937 random(19);
    int trials = 0, leftBehind = 0, broken = 0;
    for (; trials < 200; ++trials) {
        fflush(nullptr);
        pid_t child = fork();
        if (child == 0) {
            for (int round = 0;; ++round) {
                InstallerCore core;
                test::RecordingSink sink;
                core.StampSourceLibrary();
                core.ScanMods(sink);
                core.InstallMod(200, kEverything, sink);
                core.RemoveMod(100, sink);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        if (TempFilesLeft(game_)) ++leftBehind;
        if (!Loadable(Game("cstrike"))) ++broken;
        InstallerCore core;
        test::RecordingSink sink;
        core.StampSourceLibrary();
        core.ScanMods(sink);
        const auto* row = sink.ForSlot(0);
        const bool installed = row && row->status == "installed";
        ChangeOutcome outcome = installed ? core.RemoveMod(100, sink) : core.InstallMod(200, {}, sink);
        EXPECT_TRUE(outcome.Done()) << "trial " << trials << ": " << Describe(outcome);
        EXPECT_FALSE(TempFilesLeft(game_)) << "trial " << trials << ": a temporary outlived the next change";
    }
    std::printf("| changes killed at random | %d trials | %d left temporaries | %d broken | all swept |\n", trials,
                leftBehind, broken);
    EXPECT_EQ(0, broken);
    EXPECT_GT(leftBehind, 0) << "no kill came while a temporary existed: the case tests nothing";
}

// Run as root, a rewritten or replaced file keeps its owner, group and mode,
// and a new file takes the owner and group of its folder, so the game, run
// as the player, can still read them.
TEST_F(FaultTableTest, OwnerGroupAndModeAreKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give files away";
    const uid_t player = 4321;
    const gid_t players = 4322;
    ASSERT_EQ(0, ::chown(Game("cstrike/liblist.gam").c_str(), player, players));
    ASSERT_EQ(0, ::chmod(Game("cstrike/liblist.gam").c_str(), 0640));
    for (const char* folder : {"cstrike", "cstrike/dlls", "cstrike/maps"})
        ASSERT_EQ(0, ::chown(Game(folder).c_str(), player, players));
    WriteBytes(Game("cstrike/Veldrin.cfg"), "player's cfg");
    ASSERT_EQ(0, ::chown(Game("cstrike/Veldrin.cfg").c_str(), player, players));
    ASSERT_EQ(0, ::chmod(Game("cstrike/Veldrin.cfg").c_str(), 0604));
    RunCase("owner, group and mode kept when run as root", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    auto owner = [&](const char* file) {
        struct stat st {};
        ::stat(Game(file).c_str(), &st);
        return std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " + std::to_string(st.st_mode & 07777);
    };
    EXPECT_EQ("4321:4322 " + std::to_string(0640), owner("cstrike/liblist.gam"));
    EXPECT_EQ("4321:4322 " + std::to_string(0604), owner("cstrike/Veldrin.cfg"));
    EXPECT_EQ(0, owner("cstrike/dlls/veldrin.dll").rfind("4321:4322 ", 0)) << owner("cstrike/dlls/veldrin.dll");
    EXPECT_EQ(0, owner("cstrike/maps/de_dust.vwp").rfind("4321:4322 ", 0)) << owner("cstrike/maps/de_dust.vwp");
    EXPECT_EQ(0, owner("cstrike/Veldrin_names.txt").rfind("4321:4322 ", 0)) << owner("cstrike/Veldrin_names.txt");
}

#endif

// --- A player's files beside the program's, and what a replace keeps -----------

// A player's files whose names start with "~" are no temporaries of the
// program: made before the change, they survive Install and Remove byte for
// byte in the mod folder, dlls and maps, also where maps is a link into a
// folder the player shares between games; what a killed installer left
// there is swept all the same.
TEST_F(FaultTableTest, APlayersTildeFilesAreNoTemporaries) {
    const std::vector<std::string> names = {"~notes", "~backup1", "~abc", "~"};
    for (bool linkedMaps : {false, true}) {
        if (linkedMaps) {
            // Symbolic links on Windows need a privilege players do not have.
            if (test::HostIsWindows()) break;
            fs::remove_all(Game("cstrike/maps"));
            fs::create_directories(Game("shared_maps"));
            fs::create_directory_symlink(Game("shared_maps"), Game("cstrike/maps"));
        }
        std::map<fs::path, std::string> players;
        for (const char* folder : {"cstrike", "cstrike/dlls", "cstrike/maps"})
            for (const std::string& name : names)
                players[Game(folder) / name] = std::string("a player's ") + folder + "/" + name;
        for (const auto& [file, bytes] : players) WriteBytes(file, bytes);
        // A temporary a killed installer left in the shared folder.
        WriteBytes(Game("cstrike/maps/~veldrin-k1ll3d"), "left behind");
        const std::string what = linkedMaps ? "a player's ~ files, maps a link: " : "a player's ~ files: ";
        RunCase(what + "Install", ScanInstall);
        EXPECT_TRUE(kept_.Done()) << Describe(kept_);
        EXPECT_FALSE(fs::exists(Game("cstrike/maps/~veldrin-k1ll3d")));
        RunCase(what + "Remove", ScanRemove);
        EXPECT_TRUE(kept_.Done()) << Describe(kept_);
        for (const auto& [file, bytes] : players) EXPECT_EQ(bytes, ReadBytes(file)) << file;
        EXPECT_EQ(linkedMaps, fs::is_symlink(Game("cstrike/maps")));
    }
}

// A liblist.gam with an access control list entry of its own and an
// extended attribute keeps both when Install rewrites it and when Remove
// gives it back, as it keeps its owner, group and mode.
TEST_F(FaultTableTest, LiblistKeepsItsAccessListAndAttributes) {
    const fs::path libList = Game("cstrike/liblist.gam");
    const std::string refused = test::GiveAccessExtras(libList);
    if (!refused.empty()) GTEST_SKIP() << "the file system of " << game_ << " refuses them: " << refused;
    const std::string extras = test::AccessExtras(libList);
    RunCase("liblist.gam with an access list and attributes: Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_EQ(extras, test::AccessExtras(libList));
    RunCase("liblist.gam with an access list and attributes: Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_EQ(extras, test::AccessExtras(libList));
}

// A liblist.gam that is a link to a file an administrator shares between
// game folders stays a link: Install rewrites the shared file, and Remove
// gives it back its bytes.
TEST_F(FaultTableTest, ALinkedLiblistStaysALink) {
    if (test::HostIsWindows()) GTEST_SKIP() << "symbolic links on Windows need a privilege players do not have";
    const std::string original = ReadBytes(Game("cstrike/liblist.gam"));
    fs::create_directories(Game("shared"));
    fs::rename(Game("cstrike/liblist.gam"), Game("shared/liblist.gam"));
    fs::create_symlink(Game("shared/liblist.gam"), Game("cstrike/liblist.gam"));
    RunCase("liblist.gam a link to a shared file: Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(fs::is_symlink(Game("cstrike/liblist.gam")));
    EXPECT_EQ(Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\veldrin.dll\"\n"), ReadBytes(Game("shared/liblist.gam")));
    RunCase("liblist.gam a link to a shared file: Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(fs::is_symlink(Game("cstrike/liblist.gam")));
    EXPECT_EQ(original, ReadBytes(Game("shared/liblist.gam")));
}

#if !defined(_WIN32)

// A pipe or a device where a file should be would hold a read up for ever:
// only regular files are read or copied; anything else counts as missing.
TEST_F(FaultTableTest, SpecialFilesCountAsMissing) {
    checkPackage_ = false;
    struct Case {
        const char* what;
        const char* path;
        bool device;
    };
    bool first = true;
    for (Case c : {Case{"a pipe at liblist.gam", "cstrike/liblist.gam", false},
                   Case{"a pipe at the catalogue", "Veldrin/veldrinins.ini", false},
                   Case{"a pipe at the installed library", "cstrike/dlls/veldrin.dll", false},
                   Case{"a pipe at the package library", "Veldrin/veldrin.dll", false},
                   Case{"/dev/zero at liblist.gam", "cstrike/liblist.gam", true},
                   Case{"/dev/zero at the package library", "Veldrin/veldrin.dll", true}}) {
        if (!first) {  // a fresh game folder for each case
            TearDown();
            SetUp();
        }
        first = false;
        fs::remove(Game(c.path));
        if (c.device) fs::create_symlink("/dev/zero", Game(c.path));
        else ASSERT_EQ(0, ::mkfifo(Game(c.path).c_str(), 0644));
        if (std::string(c.path) == "cstrike/dlls/veldrin.dll")
            WriteBytes(Game("cstrike/liblist.gam"), Crlf("gamedll \"dlls\\veldrin.dll\"\n"));
        RunCase(c.what, [](InstallerCore& core, test::RecordingSink& sink) {
            core.ScanMods(sink);
            const auto* row = sink.ForSlot(0);
            Keep(core.InstallMod(200, kEverything, sink));
            if (row && row->status == "installed") Keep(core.RemoveMod(100, sink));
        });
        const bool libListOdd = std::string(c.path) == "cstrike/liblist.gam";
        const bool catalogueOdd = std::string(c.path) == "Veldrin/veldrinins.ini";
        const bool packageOdd = std::string(c.path) == "Veldrin/veldrin.dll";
        ChangeProblem expected = ChangeProblem::None;
        if (catalogueOdd) expected = ChangeProblem::NoSuchMod;
        // No row: the mod is not there to change.
        if (libListOdd) expected = ChangeProblem::StateChanged;
        if (packageOdd) expected = ChangeProblem::PackageLibraryUnusable;
        EXPECT_EQ(expected, kept_.problem) << c.what << ": " << Describe(kept_);
        EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")) && (libListOdd || packageOdd)) << c.what;
    }
}
#endif

// NULs, lone CRs and a Ctrl-Z with text after it: the rewrite replaces the
// gamedll row and writes every other byte back as it was; Remove then gives
// the file back byte for byte.
TEST_F(FaultTableTest, NulsAndCtrlZ) {
    const std::string head = Bytes("game \"Counter\0Strike\"\r\n\0starts with a NUL\r\nlone\rCR\r\n");
    const std::string tail = Bytes("url_info \"a\0b\"\r\n\x1a after the end: gamedll \"dlls\\mp.dll\"\r\n\x1a\r\nmore");
    const std::string original = head + "gamedll \"dlls\\mp.dll\"\r\n" + tail;
    const std::string installed = head + "gamedll \"dlls\\veldrin.dll\"\r\n" + tail;
    WriteBytes(Game("cstrike/liblist.gam"), original);
    RunCase("NULs, lone CRs and a Ctrl-Z: Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(installed == ReadBytes(Game("cstrike/liblist.gam")));
    RunCase("NULs, lone CRs and a Ctrl-Z: Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(original == ReadBytes(Game("cstrike/liblist.gam")));
}

// Power loss: the library must be on the disk, under its name, before
// liblist.gam names it. The order of the flushes and renames shows it; a
// flush that fails leaves the mod as it was.
TEST_F(FaultTableTest, TheLibraryIsOnTheDiskBeforeLiblistNamesIt) {
    RunCase("power loss: flushes before liblist.gam names the library", [](InstallerCore& c, test::RecordingSink& s) {
        std::string steps;
        platform::SetFaultHook([&steps](platform::FileOp op, const std::string& path) {
            const bool library = path.find("veldrin.dll") != std::string::npos;
            const bool libList = path.size() >= 11 && path.compare(path.size() - 11, 11, "liblist.gam") == 0;
            const bool dlls = path.size() >= 4 && path.compare(path.size() - 4, 4, "dlls") == 0;
            if (op == platform::FileOp::Flush && library) steps += "flush library, ";
            if (op == platform::FileOp::Rename && library) steps += "rename library, ";
            if (op == platform::FileOp::Flush && dlls) steps += "flush dlls, ";
            if (op == platform::FileOp::Rename && libList) steps += "rename liblist.gam";
            return false;
        });
        c.ScanMods(s);
        ChangeOutcome outcome = c.InstallMod(200, {}, s);
        platform::SetFaultHook({});
        outcome.detail = steps;
        Keep(outcome);
    });
    EXPECT_EQ("flush library, rename library, flush dlls, rename liblist.gam", kept_.detail);
}

// A read-only package library: the installed copy must still be writable by
// its owner, or every later upgrade and Remove would fail.
TEST_F(FaultTableTest, AReadOnlyPackageLibrary) {
    checkPackage_ = false;
    fs::permissions(Game("Veldrin/veldrin.dll"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    RunCase("read-only package library: Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_NE(fs::perms::none, fs::status(Game("cstrike/dlls/veldrin.dll")).permissions() & fs::perms::owner_write);
    // An upgrade replaces the copy.
    test::SetModified(Game("Veldrin/veldrin.dll"), test::kNoon20240310 + test::kDay);
    RunCase("read-only package library: Install again", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    RunCase("read-only package library: Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// Remove must not point the mod at a library it lacks: a missing own
// library, or an empty third catalogue line, changes nothing.
TEST_F(FaultTableTest, ARemoveThatWouldBreakTheMod) {
    StatusAfter([](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        c.InstallMod(200, {}, s);
    });
    const std::string installed = ReadBytes(Game("cstrike/liblist.gam"));
    fs::remove(Game("cstrike/dlls/mp.dll"));
    RunCase("Remove when the mod's own library is missing", ScanRemove);
    EXPECT_EQ(ChangeProblem::OwnLibraryMissing, kept_.problem);
    EXPECT_NE(std::string::npos, kept_.detail.find("mp.dll")) << kept_.detail;
    WriteCatalogue({{"Counter-Strike", "cstrike", ""}});
    RunCase("Remove when the catalogue names no library", ScanRemove);
    EXPECT_EQ(ChangeProblem::OwnLibraryMissing, kept_.problem);
    EXPECT_EQ(installed, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_TRUE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// An empty package library cannot be loaded by the engine: Install refuses
// it and changes nothing.
TEST_F(FaultTableTest, AnEmptyPackageLibrary) {
    WritePackageLibrary(kNoon20240310, "");
    const std::string before = ReadBytes(Game("cstrike/liblist.gam"));
    RunCase("empty package library", ScanInstall);
    EXPECT_EQ(ChangeProblem::PackageLibraryUnusable, kept_.problem);
    EXPECT_NE(std::string::npos, kept_.detail.find("empty")) << kept_.detail;
    EXPECT_EQ(before, ReadBytes(Game("cstrike/liblist.gam")));
    EXPECT_FALSE(fs::exists(Game("cstrike/dlls/veldrin.dll")));
}

// Without a game directory the paths would start at the root of the file
// system: there are no rows, and Install and Remove touch no file at all.
TEST_F(FaultTableTest, NoGameDirectory) {
    g_szGameDir[0] = '\0';
    RunCase("no game directory", [](InstallerCore& c, test::RecordingSink& s) {
        int touched = 0;
        platform::SetFaultHook([&touched](platform::FileOp, const std::string&) {
            ++touched;
            return false;
        });
        c.StampSourceLibrary();
        c.ScanMods(s);
        ChangeOutcome install = c.InstallMod(200, kEverything, s);
        ChangeOutcome remove = c.RemoveMod(100, s);
        platform::SetFaultHook({});
        install.detail = std::to_string(touched) + " file operations, " + std::to_string(s.rows.size()) + " rows";
        if (remove.problem != ChangeProblem::NoSuchMod) install.problem = remove.problem;
        Keep(install);
    });
    EXPECT_EQ(ChangeProblem::NoSuchMod, kept_.problem);
    EXPECT_EQ("0 file operations, 0 rows", kept_.detail);
}

// A game folder deep enough that its longest path is 255 characters: every
// temporary name is no longer than its target's, or than 12 characters where
// the target's is shorter, so Windows' limit of 259 characters is never
// passed and Install and Remove work.
TEST_F(FaultTableTest, LongPaths) {
    // The longest path a change composes: "<game>\Veldrin\cstrike\cs_office.VWP", 30 characters after the
    // game directory; 255 in all.
    const size_t wanted = 255 - 30;
    std::string folder = root_.string();
    size_t room = wanted - folder.size() - std::string("/Half-Life").size();
    while (room > 0) {
        const size_t part = room > 101 ? 100 : room - 1;
        ASSERT_GT(part, 0u);
        folder += "/" + std::string(part, 'd');
        room -= part + 1;
    }
    fs::create_directories(folder);
    fs::rename(game_, fs::path(folder) / "Half-Life");
    game_ = fs::path(folder) / "Half-Life";
    ASSERT_EQ(wanted, game_.string().size());
    std::strcpy(g_szGameDir, game_.string().c_str());
    RunCase("long paths: Install", ScanInstall);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    EXPECT_TRUE(fs::exists(Game("cstrike/maps/cs_office.VWP")));
    RunCase("long paths: Remove", ScanRemove);
    EXPECT_TRUE(kept_.Done()) << Describe(kept_);
    for (const char* target : {"cstrike\\liblist.gam", "cstrike\\liblist.gam.veldrin", "cstrike\\dlls\\veldrin.dll",
                               "cstrike\\maps\\cs_office.VWP", "cstrike\\maps\\a.vwp"}) {
        const std::string path = game_.string() + "\\" + target;
        auto file = platform::NewFile::Beside(path.c_str());
        ASSERT_TRUE(file) << path;
        const std::string host = platform::ResolvePath(path.c_str());
        const size_t nameStart = host.find_last_of("\\/") + 1;
        EXPECT_LE(file->TempPath().size(), std::max<size_t>(host.size(), nameStart + 12)) << file->TempPath();
        EXPECT_LE(file->TempPath().size(), 259u) << file->TempPath();
    }
}

// Two cores on two threads of one process: each thread keeps listings of
// its own.
TEST_F(FaultTableTest, TwoThreads) {
    for (int i = 0; i < 200; ++i) WriteBytes(Game("Veldrin/cstrike/map" + std::to_string(i) + ".vwp"), "w");
    for (int i = 0; i < 200; ++i) WriteBytes(Game("Veldrin/valve/map" + std::to_string(i) + ".vwp"), "w");
    RunCase("two cores on two threads", [](InstallerCore&, test::RecordingSink&) {
        std::string failures[2];
        auto work = [&failures](int slot) {
            for (int round = 0; round < 4; ++round) {
                InstallerCore core;
                test::RecordingSink sink;
                core.StampSourceLibrary();
                core.ScanMods(sink);
                // Busy only says the other thread held the game folder longer
                // than a change waits, which a slow machine may do; after a
                // busy Install there is nothing to remove, and after a busy
                // Remove the mod is still in, so the next round removes it.
                const auto note = [&](const ChangeOutcome& o) {
                    if (!o.Done() && o.problem != ChangeProblem::Busy) failures[slot] += Describe(o) + "; ";
                    return o.problem != ChangeProblem::Busy;
                };
                const auto* row = sink.ForSlot(slot);
                const bool stillIn = row && row->status == "installed";
                if (stillIn || note(core.InstallMod(ItemData(StatusNotInstalled, slot), kEverything, sink)))
                    note(core.RemoveMod(ItemData(StatusInstalled, slot), sink));
            }
        };
        std::thread a(work, 0), b(work, 1);
        a.join();
        b.join();
        ChangeOutcome outcome;
        outcome.detail = failures[0] + failures[1];
        if (!outcome.detail.empty()) outcome.problem = ChangeProblem::Failed;
        Keep(outcome);
    });
    EXPECT_TRUE(kept_.Done()) << kept_.detail;
}

// The sample game of the demo: Install and Remove work on every mod it shows.
TEST_F(FaultTableTest, TheSampleGameCanBeInstalledIntoAndRemovedFrom) {
    fs::remove_all(game_);
    ASSERT_TRUE(test::CopySampleGame(game_));
    RunCase("the sample game: every mod in and out", [](InstallerCore& c, test::RecordingSink& s) {
        c.ScanMods(s);
        ChangeOutcome summary;
        const std::vector<test::RecordingSink::Row> rows = s.rows;
        for (const auto& row : rows) {
            const int slot = ItemDataSlot(row.data);
            const bool installed = row.status == "installed";
            for (bool install : {!installed, installed}) {
                ChangeOutcome o = install ? c.InstallMod(ItemData(StatusNotInstalled, slot), kEverything, s)
                                          : c.RemoveMod(ItemData(StatusInstalled, slot), s);
                const auto* now = s.ForSlot(slot);
                if (!o.Done() || !now || (now->status == "installed") != install) {
                    summary.problem = ChangeProblem::Failed;
                    summary.detail += row.name + " " + (install ? "Install" : "Remove") + ": " + Describe(o) + "; ";
                }
            }
        }
        summary.extrasNotCopied.push_back(std::to_string(rows.size()) + " mods");
        Keep(summary);
    });
    EXPECT_TRUE(kept_.Done()) << kept_.detail;
    ASSERT_EQ(1u, kept_.extrasNotCopied.size());
    EXPECT_EQ("8 mods", kept_.extrasNotCopied[0]);
}

}  // namespace
