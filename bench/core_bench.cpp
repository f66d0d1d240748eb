// Benchmarks of the installer core against the plain file operations that do
// the same work, measured in the same run:
//  - the status scan of a 50-mod catalogue whose liblist.gam files have 256
//    rows, against opening and reading the same files with read(2);
//  - an Install with the library and 1,000 waypoint files, against copying
//    the same files with their times by copy_file_range(2) and futimens(2),
//    each through a new file renamed over its target, the library and the
//    rewritten liblist.gam forced to the disk as the installer does;
//  - the rewrite of a liblist.gam of 6 to 50 MB, which must stay linear in
//    the file's size (bytes per second), against the plain read, write,
//    flush and rename of the same bytes;
//  - a Remove that gives back two million kept gamedll lines (50 MB), against
//    the rewrite of a liblist.gam of the same size.
// Run through scripts/bench; the figures of one run are in docs/performance.md.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>

#include "bench_support.h"
#include "core/installer_core.h"
#include "core/liblist.h"

namespace {

using bench::fs::path;
using bench::WriteBytes;

constexpr int kMods = 50;
constexpr int kLibListRows = 256;
constexpr int kWaypoints = 1000;

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// A liblist.gam of the given number of rows with the bot's gamedll line, CR LF
// line ends as a Windows editor saves them.
std::string LibList(int rows, const std::string& library) {
    std::string text = "// Valve Game Info file\r\ngame \"Veldrin Test Mod\"\r\ngamedll \"dlls\\" + library + "\"\r\n";
    for (int i = 3; i < rows; ++i) text += "mpentity \"info_player_start\" // setting " + std::to_string(i) + "\r\n";
    return text;
}

void SetState(const std::string& gameDir) { std::strcpy(g_szGameDir, gameDir.c_str()); }

// Splits a benchmark's processor time into user and kernel time per
// iteration, which tells where the time of a comparison goes.
class CpuSplit {
public:
    explicit CpuSplit(benchmark::State& state) : state_(state) { getrusage(RUSAGE_SELF, &start_); }
    ~CpuSplit() {
        struct rusage end;
        getrusage(RUSAGE_SELF, &end);
        auto us = [](const timeval& a, const timeval& b) {
            return static_cast<double>(b.tv_sec - a.tv_sec) * 1e6 + static_cast<double>(b.tv_usec - a.tv_usec);
        };
        double n = static_cast<double>(state_.iterations() ? state_.iterations() : 1);
        state_.counters["user_us"] = us(start_.ru_utime, end.ru_utime) / n;
        state_.counters["sys_us"] = us(start_.ru_stime, end.ru_stime) / n;
    }

private:
    benchmark::State& state_;
    struct rusage start_;
};

// Reads a file whole with plain reads; only opens and closes it when read is false.
void PlainRead(const std::string& file, bool read = true) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    if (read) {
        char buf[1 << 16];
        while (::read(fd, buf, sizeof buf) > 0) {
        }
    }
    ::close(fd);
}

// --- The status scan --------------------------------------------------------

// The game of the scan: every mod's liblist.gam names the bot (bot), which
// the scan may stop reading at; or the mod's own library, where it reads to
// the end.
const path& ScanGame(bool bot) {
    static path games[2];
    path& game = games[bot ? 1 : 0];
    if (game.empty())
        game = [bot] {
            path g = bench::Scratch() / (bot ? "scan" : "scan-own") / "Half-Life";
            std::string catalogue;
            for (int i = 0; i < kMods; ++i) {
                std::string folder = "mod" + std::to_string(100 + i).substr(1);
                catalogue += "Test Mod " + std::to_string(i) + "\r\n" + folder + "\r\nmp\r\n";
                WriteBytes(g / folder / "liblist.gam", LibList(kLibListRows, bot ? "veldrin.dll" : "mp.dll"));
                WriteBytes(g / folder / "dlls" / "veldrin.dll", RandomBytes(4096, static_cast<unsigned>(i)));
            }
            WriteBytes(g / "Veldrin" / "veldrinins.ini", catalogue);
            WriteBytes(g / "Veldrin" / "veldrin.dll", RandomBytes(4096, 99));
            return g;
        }();
    return game;
}

void BM_Scan(benchmark::State& state) {
    SetState(ScanGame(state.range(0) != 0).string());
    InstallerCore core;
    core.StampSourceLibrary();
    ModRowList sink;
    CpuSplit split(state);
    for (auto _ : state) {
        core.ScanMods(sink);
        benchmark::DoNotOptimize(sink.rows.data());
    }
    if (sink.rows.size() != static_cast<size_t>(kMods)) state.SkipWithError("the scan did not show every mod");
}
BENCHMARK(BM_Scan)->ArgName("bot")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The same files the scan opens: the catalogue and each liblist.gam read
// whole, each installed library's date looked up and the library opened.
void BM_ScanBaseline(benchmark::State& state) {
    const path& game = ScanGame(state.range(0) != 0);
    std::vector<std::string> libLists, libraries;
    for (int i = 0; i < kMods; ++i) {
        std::string folder = "mod" + std::to_string(100 + i).substr(1);
        libLists.push_back((game / folder / "liblist.gam").string());
        libraries.push_back((game / folder / "dlls" / "veldrin.dll").string());
    }
    const std::string catalogue = (game / "Veldrin" / "veldrinins.ini").string();
    CpuSplit split(state);
    for (auto _ : state) {
        PlainRead(catalogue);
        for (int i = 0; i < kMods; ++i) {
            PlainRead(libLists[i]);
            struct stat st;
            ::stat(libraries[i].c_str(), &st);
            benchmark::DoNotOptimize(st.st_mtime);
            PlainRead(libraries[i], false);
        }
    }
}
BENCHMARK(BM_ScanBaseline)->ArgName("bot")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// --- Install ------------------------------------------------------------------

const std::string kModLibList = LibList(20, "mp.dll");

const path& InstallGame() {
    static path game = [] {
        path g = bench::Scratch() / "install" / "Half-Life";
        WriteBytes(g / "Veldrin" / "veldrinins.ini", "Counter-Strike\r\ncstrike\r\nmp\r\n");
        WriteBytes(g / "Veldrin" / "veldrin.dll", RandomBytes(1 << 20, 1));
        for (int i = 0; i < kWaypoints; ++i) {
            std::string name = "wp_map" + std::to_string(10000 + i).substr(1) + ".vwp";
            WriteBytes(g / "Veldrin" / "cstrike" / name, RandomBytes(16 << 10, static_cast<unsigned>(i)));
        }
        WriteBytes(g / "cstrike" / "liblist.gam", kModLibList);
        WriteBytes(g / "cstrike" / "dlls" / "mp.dll", RandomBytes(64 << 10, 2));
        for (int i = 0; i < 40; ++i) WriteBytes(g / "cstrike" / "maps" / ("map" + std::to_string(i) + ".bsp"), "BSP");
        return g;
    }();
    return game;
}

// Takes the mod back to before the install: no library, no waypoints. The
// files are moved aside rather than deleted: a file system that has just
// freed many inodes searches longer for new ones, which would time the
// reset rather than the copy.
void ResetMod(const path& game) {
    static int round = 0;
    const path aside = bench::Scratch() / "aside" / std::to_string(round);
    bench::fs::create_directories(aside);
    std::error_code ec;
    // Only the last rounds are kept, so that the scratch folder stays small.
    if (round >= 16) bench::fs::remove_all(bench::Scratch() / "aside" / std::to_string(round - 16), ec);
    ++round;
    bench::fs::rename(game / "cstrike" / "dlls" / "veldrin.dll", aside / "veldrin.dll", ec);
    for (const auto& entry : bench::fs::directory_iterator(game / "cstrike" / "maps"))
        if (entry.path().extension() == ".vwp") bench::fs::rename(entry.path(), aside / entry.path().filename(), ec);
    WriteBytes(game / "cstrike" / "liblist.gam", kModLibList);
}

// Writes out what the last run left waiting, so that each run starts alike
// and the rewrite's flush to disk carries only the install's own data.
void Settle(const path& game) {
    int fd = ::open(game.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

void BM_Install(benchmark::State& state) {
    const path& game = InstallGame();
    const bool fresh = state.range(0) != 0;
    SetState(game.string());
    InstallerCore core;
    core.StampSourceLibrary();
    ModRowList sink;
    InstallOptions options;
    options.bCopyWaypoints = true;
    ResetMod(game);
    core.ScanMods(sink);  // Install acts on a slot of the last scan
    for (auto _ : state) {
        state.PauseTiming();
        if (fresh) ResetMod(game);
        // Install again is an upgrade: a mod whose copy of the bot is older
        // than the package's, every waypoint replaced.
        else if (bench::fs::exists(game / "cstrike" / "dlls" / "veldrin.dll"))
            bench::fs::last_write_time(
                game / "cstrike" / "dlls" / "veldrin.dll",
                bench::fs::last_write_time(game / "Veldrin" / "veldrin.dll") - std::chrono::hours(48));
        Settle(game);
        state.ResumeTiming();
        if (!core.InstallMod(200, options, sink).Done()) state.SkipWithError("install failed");
    }
    if (!bench::fs::exists(game / "cstrike" / "maps" / "wp_map0999.vwp")) state.SkipWithError("waypoints not copied");
}
BENCHMARK(BM_Install)->ArgName("fresh")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The plain ways the platform copies a file, each giving the copy the
// source's times; the fastest of them is the baseline. The kernel copies
// without bringing the data through user space with the first two; which of
// them is fastest depends on the file system.
enum CopyMethod { kCopyFileRange, kSendFile, kReadWrite };

// Forces a folder's entries to the disk.
void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Copies from to a new file beside to, which then takes its place in one
// step, as every copy of the installer does; with toDisk the copy and the
// folder entry are forced to the disk.
bool PlainCopy(const std::string& from, const std::string& to, int method, bool toDisk = false) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    ::fstat(in, &st);
    const std::string temp = to.substr(0, to.rfind('/') + 1) + "~copy";
    int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    off_t left = st.st_size;
    while (left > 0) {
        ssize_t n;
        if (method == kCopyFileRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
        } else if (method == kSendFile) {
            n = ::sendfile(out, in, nullptr, static_cast<size_t>(left));
        } else {
            char buf[1 << 16];
            n = ::read(in, buf, sizeof buf);
            if (n > 0 && ::write(out, buf, static_cast<size_t>(n)) != n) n = -1;
        }
        if (n <= 0) break;
        left -= n;
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (toDisk) ::fsync(out);
    ::close(out);
    ::close(in);
    ::rename(temp.c_str(), to.c_str());
    if (toDisk) SyncFolder(to.substr(0, to.rfind('/')));
    return left == 0;
}

// The rewrite of a file with plain calls: read whole, written to a new file
// forced to the disk, renamed over the old one and the folder forced too.
void PlainRewrite(const std::string& file) {
    const std::string temp = file.substr(0, file.rfind('/') + 1) + "~rewrite";
    int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    char buf[1 << 16];
    ssize_t n;
    while ((n = ::read(in, buf, sizeof buf)) > 0) benchmark::DoNotOptimize(::write(out, buf, static_cast<size_t>(n)));
    ::fsync(out);
    ::close(out);
    ::close(in);
    ::rename(temp.c_str(), file.c_str());
    SyncFolder(file.substr(0, file.rfind('/')));
}

void BM_InstallBaseline(benchmark::State& state) {
    const path& game = InstallGame();
    const bool fresh = state.range(0) != 0;
    const int method = static_cast<int>(state.range(1));
    const std::string source = (game / "Veldrin").string();
    const std::string waypoints = (game / "Veldrin" / "cstrike").string();
    const std::string mod = (game / "cstrike").string();
    ResetMod(game);
    for (auto _ : state) {
        state.PauseTiming();
        if (fresh) ResetMod(game);
        Settle(game);
        state.ResumeTiming();
        PlainCopy(source + "/veldrin.dll", mod + "/dlls/veldrin.dll", method, true);
        PlainRewrite(mod + "/liblist.gam");
        DIR* dir = ::opendir(waypoints.c_str());
        while (dirent* e = ::readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            PlainCopy(waypoints + "/" + e->d_name, mod + "/maps/" + e->d_name, method);
        }
        ::closedir(dir);
    }
}
BENCHMARK(BM_InstallBaseline)
    ->ArgNames({"fresh", "method"})
    ->ArgsProduct({{1, 0}, {kCopyFileRange, kSendFile, kReadWrite}})
    ->Unit(benchmark::kMillisecond);

// --- The rewrite of a large liblist.gam -----------------------------------------

const path& BigLibList(int64_t bytes) {
    static std::map<int64_t, path> made;
    auto it = made.find(bytes);
    if (it != made.end()) return it->second;
    std::string text;
    text.reserve(static_cast<size_t>(bytes) + 64);
    for (int i = 0; static_cast<int64_t>(text.size()) < bytes; ++i)
        text += "hlversion \"1111\" // " + std::to_string(i) + "\r\n";
    text += "gamedll \"dlls\\mp.dll\"\r\n";
    path file = bench::Scratch() / "rewrite" / std::to_string(bytes) / "liblist.gam";
    WriteBytes(file, text);
    return made[bytes] = file;
}

void BM_Rewrite(benchmark::State& state) {
    const path& file = BigLibList(state.range(0));
    const std::string rows[2] = {liblist::kInstallLine, liblist::RemoveLine("mp")};
    int turn = 0;
    for (auto _ : state) {
        // As Install and Remove rewrite it: the new file beside, then in place.
        const std::string& text = rows[turn++ & 1];
        liblist::LibListRewrite rewrite;
        const bool ok = rewrite.Prepare(file.c_str(),
                                        [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
                                            bytes.assign(text).append(line.LineEnd());
                                            return true;
                                        }) == liblist::RewriteResult::Written &&
                        rewrite.Commit();
        if (!ok) state.SkipWithError("rewrite failed");
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_Rewrite)
    ->RangeMultiplier(2)
    ->Range(50 << 17, 50 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The same bytes read and written with plain calls, the new file forced to
// disk and renamed over the old one as the rewrite does: what any rewrite
// costs at least.
void BM_RewriteBaseline(benchmark::State& state) {
    const path& file = BigLibList(state.range(0));
    for (auto _ : state) PlainRewrite(file.string());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RewriteBaseline)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

// --- A Remove that gives back millions of kept lines --------------------------

// A mod whose liblist.gam holds about 50 MB of gamedll lines, two million of
// them, naming two libraries in turn: Install keeps every line, Remove gives
// each back. Memory must not grow with the lines, and each library is looked
// up once, so the cost stays near that of one rewrite of the same bytes.
const path& ManyLinesGame() {
    static path game = [] {
        path g = bench::Scratch() / "many-lines" / "Half-Life";
        WriteBytes(g / "Veldrin" / "veldrinins.ini", "Counter-Strike\r\ncstrike\r\nmp\r\n");
        WriteBytes(g / "Veldrin" / "veldrin.dll", RandomBytes(64 << 10, 3));
        std::string lines;
        lines.reserve(52u << 20);
        for (int i = 0; lines.size() < (50u << 20); ++i)
            lines += i % 2 ? "gamedll \"dlls\\mp.dll\"\r\n" : "gamedll \"addons\\loader\\dlls\\loader.dll\"\r\n";
        WriteBytes(g / "cstrike" / "liblist.gam", lines);
        WriteBytes(g / "cstrike" / "dlls" / "mp.dll", "MZ mp");
        WriteBytes(g / "cstrike" / "addons" / "loader" / "dlls" / "loader.dll", "MZ loader");
        return g;
    }();
    return game;
}

void BM_RemoveManyKeptLines(benchmark::State& state) {
    const path& game = ManyLinesGame();
    SetState(game.string());
    InstallerCore core;
    core.StampSourceLibrary();
    ModRowList sink;
    long peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        core.ScanMods(sink);
        if (!core.InstallMod(200, {}, sink).Done()) state.SkipWithError("install failed");
        Settle(game);
        state.ResumeTiming();
        if (!core.RemoveMod(100, sink).Done()) state.SkipWithError("remove failed");
        struct rusage usage {};
        ::getrusage(RUSAGE_SELF, &usage);
        peakKb = usage.ru_maxrss;
    }
    if (bench::fs::exists(game / "cstrike" / "liblist.gam.veldrin")) state.SkipWithError("the kept lines stayed");
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(bench::fs::file_size(game / "cstrike" / "liblist.gam")));
    state.counters["peak_kb"] = static_cast<double>(peakKb);
}
BENCHMARK(BM_RemoveManyKeptLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    bench::RatioReporter reporter({
        {"BM_Scan/bot:1", "BM_ScanBaseline/bot:1", "status scan, 50 mods x 256 rows", 1.5},
        {"BM_Scan/bot:0", "BM_ScanBaseline/bot:0", "the same, no mod naming the bot (read whole)", 0},
        {"BM_Install/fresh:1", "BM_InstallBaseline/fresh:1/method:", "Install, library + 1000 waypoints, new files",
         1.3},
        {"BM_Install/fresh:0", "BM_InstallBaseline/fresh:0/method:", "Install again, over the same files", 1.3},
        {"BM_Rewrite/52428800", "BM_RewriteBaseline/52428800", "rewrite of a 50 MB liblist.gam", 1.5},
        {"BM_RemoveManyKeptLines", "BM_Rewrite/52428800", "Remove giving back 2 million kept lines (50 MB)", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
