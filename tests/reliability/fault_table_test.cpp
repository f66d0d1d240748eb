// The fault table: the real core on real folders with bad input and failing
// file operations. Each case runs the scan, Install (every extra ticked) and
// Remove in a child process, so that a crash, a hang or a memory blow-up is
// seen and measured instead of taking the suite down, and then checks what
// every case must leave behind:
//  - the child ended normally, within its time limit and memory bound;
//  - no file outside the game directory was touched, nor the package folder;
//  - no mod whose gamedll line named a present library before names a
//    missing one after;
//  - no temporary file is left behind.
// Each case prints one line of figures (time, peak memory), the table that
// docs/reliability.md records.
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "core/install_layout.h"
#include "core/liblist.h"
#include "test_fixtures.h"

using test::Crlf;
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

struct FileState {
    uintmax_t size = 0;
    int64_t modified = 0;
    unsigned perms = 0;
    std::string bytes;  // small files only
    bool operator==(const FileState& o) const {
        return size == o.size && modified == o.modified && perms == o.perms && bytes == o.bytes;
    }
};
using Snapshot = std::map<std::string, FileState>;

// Every file and folder under dir, except the subtree skip.
Snapshot Take(const fs::path& dir, const fs::path& skip = {}) {
    Snapshot shot;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st {};
        lstat(it->path().c_str(), &st);
        FileState s;
        s.size = S_ISREG(st.st_mode) ? static_cast<uintmax_t>(st.st_size) : 0;
        s.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        s.perms = st.st_mode;
        if (S_ISREG(st.st_mode) && st.st_size < 4096) s.bytes = ReadBytes(it->path());
        if (S_ISDIR(st.st_mode)) s.modified = 0;  // a folder's time follows its entries
        shot[it->path().string()] = s;
    }
    return shot;
}

// The path a gamedll line loads, relative to the mod folder: the quoted value
// (or the rest of the line), as the engine reads it. Empty when the row is no
// gamedll row.
std::string GamedllValue(const std::string& row) {
    size_t start = row.find_first_not_of(' ');
    if (start == std::string::npos || row.compare(start, 8, "gamedll ") != 0) return "";
    size_t begin = row.find_first_not_of(' ', start + 8);
    if (begin == std::string::npos) return "";
    if (row[begin] == '"') ++begin;
    size_t end = row.find_first_of("\"\n", begin);
    return row.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

struct Figures {
    double seconds = 0;
    long peakKb = 0;
};

class FaultTableTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        entries_ = {{"Counter-Strike", "cstrike", "mp"},
                    {"Half-Life", "valve", "hl"},
                    {"Deathmatch Classic", "dmc", "dmc"}};
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

    // True when the mod's liblist.gam has a gamedll line and every gamedll
    // line names a library that is there.
    static bool Loadable(const fs::path& mod) {
        // Row by row, as the status check reads it: the file may be huge.
        std::string libList = (mod / "liblist.gam").string();
        auto file = platform::TextFile::Open(libList.c_str(), "r");
        if (!file) return false;
        bool any = false;
        char row[liblist::kRowSize];
        while (file->ReadRow(row, liblist::kRowSize)) {
            if (!liblist::IsGamedllRow(row)) continue;
            any = true;
            std::string path = mod.string() + "\\" + GamedllValue(row);
            if (!platform::PathExists(path.c_str()) || platform::IsDirectory(path.c_str())) return false;
        }
        return any;
    }

    static bool TempFilesLeft(const fs::path& dir) {
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.path().string().find(".veldrin-new") != std::string::npos) return true;
        return false;
    }

    // Runs work in a child process and checks what every case must leave.
    Figures RunCase(const std::string& name, const std::function<void(InstallerCore&, test::RecordingSink&)>& work) {
        const Snapshot outside = Take(root_, game_);
        const Snapshot package = Take(game_ / "Veldrin");
        const std::set<std::string> workingBefore = WorkingMods();

        const long baselineKb = BaselineKb();
        fflush(nullptr);
        auto start = std::chrono::steady_clock::now();
        pid_t child = fork();
        if (child == 0) {
            InstallerCore core;
            test::RecordingSink sink;
            core.StampSourceLibrary();
            work(core, sink);
            _exit(0);
        }
        EXPECT_GT(child, 0);
        int status = 0;
        struct rusage usage {};
        pid_t done = 0;
        while ((done = wait4(child, &status, WNOHANG, &usage)) == 0) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(kTimeLimitSeconds)) {
                kill(child, SIGKILL);
                wait4(child, &status, 0, &usage);
                ADD_FAILURE() << name << ": still running after " << kTimeLimitSeconds << " s";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        Figures f;
        f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        f.peakKb = usage.ru_maxrss;

        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ": the core crashed (status " << status
                                                                  << ")";
        EXPECT_LE(f.peakKb - baselineKb, kMemoryBoundKb) << name << ": peak memory " << f.peakKb << " kB";
        EXPECT_TRUE(outside == Take(root_, game_)) << name << ": a file outside the game directory changed";
        if (checkPackage_) {
            EXPECT_TRUE(package == Take(game_ / "Veldrin")) << name << ": the package folder changed";
        }
        for (const std::string& mod : workingBefore)
            EXPECT_TRUE(Loadable(game_ / mod)) << name << ": " << mod << " now names a missing library";
        EXPECT_FALSE(TempFilesLeft(game_)) << name << ": a temporary file was left";

        std::printf("| %-44s | %8.3f s | %7.1f MB |\n", name.c_str(), f.seconds,
                    static_cast<double>(f.peakKb - baselineKb) / 1024);
        return f;
    }

    // The peak memory of a child that does nothing: what a case starts from,
    // the test process's own pages included.
    static long BaselineKb() {
        pid_t child = fork();
        if (child == 0) _exit(0);
        int status = 0;
        struct rusage usage {};
        wait4(child, &status, 0, &usage);
        return usage.ru_maxrss;
    }

    // Scan, Install into slot with every extra, Remove from it.
    static void ScanInstallRemove(InstallerCore& core, test::RecordingSink& sink, int slot) {
        core.ScanMods(sink);
        core.InstallMod(200 + slot, kEverything, sink);
        core.RemoveMod(100 + slot, sink);
    }

    std::string StatusAfter(const std::function<void(InstallerCore&, test::RecordingSink&)>& work) {
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
    EXPECT_EQ("Sp\xe9l \xc4rger", sink.rows[0].name);
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
            c.InstallMod(200 + slot, kEverything, s);
            c.RemoveMod(100 + slot, s);
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
}

// --- Every read, write, rename, copy and delete made to fail ------------------

// Counts the calls of each operation an Install and a Remove make, then
// reruns them once per call with that one call failing.
TEST_F(FaultTableTest, EachFileOperationFailingInTurn) {
    using platform::FileOp;
    const std::map<FileOp, const char*> ops = {{FileOp::Read, "read"},
                                               {FileOp::OpenWrite, "open for writing"},
                                               {FileOp::Write, "write"},
                                               {FileOp::Close, "close after writing"},
                                               {FileOp::Copy, "copy"},
                                               {FileOp::Rename, "rename"},
                                               {FileOp::Remove, "delete"}};
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
                    platform::SetFaultHook(
                        [&](FileOp o, const std::string&) { return o == failing && seen++ == n; });
                    if (install) c.InstallMod(200, kEverything, s);
                    else c.RemoveMod(100, s);
                });
                // The liblist.gam is either as it was or fully rewritten.
                const std::string now = ReadBytes(Game("cstrike/liblist.gam"));
                const std::string done = install ? Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\veldrin.dll\"\n")
                                                 : original;
                EXPECT_TRUE(now == start || now == done) << name;
            }
        }
    }
}

}  // namespace
