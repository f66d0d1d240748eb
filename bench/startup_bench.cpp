// Start-up: from exec to the main dialog shown with its list filled (a
// catalogue of 50 mods, each with a 256-row liblist.gam), against an empty
// wx dialog program, both on the X display of the run (scripts/bench starts
// a private Xvfb). Each iteration starts the program, watches the display for
// its windows, answers the start-up question at once with the Return key,
// and ends the program when its main dialog is mapped; the time and the
// process's peak memory are taken at that moment.
//   startup_bench [benchmark flags]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench_support.h"

namespace {

using Clock = std::chrono::steady_clock;
std::string g_program, g_emptyDialog;

// A game folder with a 50-mod catalogue, and a Wine prefix whose registry
// names it, so that the program finds it as it would on a player's machine.
const bench::fs::path& StartupHome() {
    static bench::fs::path home = [] {
        bench::fs::path h = bench::Scratch() / "startup";
        bench::fs::path game = h / "Half-Life";
        std::string catalogue;
        for (int i = 0; i < 50; ++i) {
            std::string folder = "mod" + std::to_string(100 + i).substr(1);
            catalogue += "Test Mod " + std::to_string(i) + "\r\n" + folder + "\r\nmp\r\n";
            std::string liblist = "game \"Test Mod\"\r\ngamedll \"dlls\\veldrin.dll\"\r\n";
            for (int row = 2; row < 256; ++row)
                liblist += "mpentity \"info_player_start\" // " + std::to_string(row) + "\r\n";
            bench::WriteBytes(game / folder / "liblist.gam", liblist);
            bench::WriteBytes(game / folder / "dlls" / "veldrin.dll", "MZ bot");
        }
        bench::WriteBytes(game / "Veldrin" / "veldrinins.ini", catalogue);
        bench::WriteBytes(game / "Veldrin" / "veldrin.dll", "MZ bot");
        bench::WriteBytes(h / "wine" / "system.reg",
                          "WINE REGISTRY Version 2\n\n[Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE] 1700000000\n"
                          "\"directory\"=\"" +
                              game.string() + "\"\n");
        return h;
    }();
    return home;
}

std::string WindowName(Display* display, Window window) {
    char* name = nullptr;
    std::string text;
    if (XFetchName(display, window, &name) && name) text = name;
    if (name) XFree(name);
    return text;
}

struct Launch {
    double seconds = 0;          // exec to the main window mapped
    double questionSeconds = 0;  // exec to the start-up question mapped (0: none)
    long peakKb = 0;
    bool ok = false;
};

// The peak resident memory of a running process (VmHWM), 0 when unknown.
long PeakKb(pid_t pid) {
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!status) return 0;
    long kb = 0;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(status);
    return kb;
}

// Starts program and waits for a mapped top-level window whose name begins
// with mainTitle, answering one whose name begins with question on the way.
Launch Run(const std::string& program, const char* argument, const char* mainTitle, const char* question) {
    Launch result;
    // One connection for the whole run: an X server may reset whenever its
    // last client leaves, and refuse connections meanwhile.
    static Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return result;
    }
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    // Nothing of a run before this one.
    while (XPending(display)) {
        XEvent stale;
        XNextEvent(display, &stale);
    }

    const bench::fs::path& home = StartupHome();
    auto start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(display));
        setenv("HOME", home.c_str(), 1);
        setenv("WINEPREFIX", (home / "wine").c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        chdir(home.c_str());
        execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(30);
    Window asking = 0;
    Clock::time_point asked, answered;
    // The answer goes once the question's window has been drawn, and again
    // now and then should it have come before the window took keys.
    auto answer = [&] {
        XSetInputFocus(display, asking, RevertToPointerRoot, CurrentTime);
        XSync(display, False);
        KeyCode enter = XKeysymToKeycode(display, XK_Return);
        XTestFakeKeyEvent(display, enter, True, 0);
        XTestFakeKeyEvent(display, enter, False, 0);
        XSync(display, False);
        answered = Clock::now();
    };
    while (Clock::now() < deadline && !result.ok) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == Expose && asking && event.xexpose.window == asking && event.xexpose.count == 0) {
                answer();
                continue;
            }
            if (event.type != MapNotify) continue;
            std::string name = WindowName(display, event.xmap.window);
            double at = std::chrono::duration<double>(Clock::now() - start).count();
            if (question && name.rfind(question, 0) == 0 && !asking) {
                result.questionSeconds = at;
                asking = event.xmap.window;
                asked = Clock::now();
                XSelectInput(display, asking, ExposureMask);
            } else if (name.rfind(mainTitle, 0) == 0) {
                result.seconds = at;
                result.peakKb = PeakKb(child);
                result.ok = true;
                break;
            }
        }
        // Drawn before the watch began, or shown before it took keys: ask again.
        const Clock::time_point since = answered != Clock::time_point() ? answered : asked;
        if (asking && !result.ok && Clock::now() - since > std::chrono::milliseconds(100)) answer();
        if (!result.ok) usleep(200);
    }
    kill(child, SIGTERM);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    // The kernel's figure also counts the benchmark's own pages, which the
    // child held between fork and exec.
    if (result.peakKb == 0) result.peakKb = usage.ru_maxrss;
    return result;
}

void Startup(benchmark::State& state, const std::string& program, const char* argument, const char* title,
             const char* question) {
    long peak = 0;
    double question_seconds = 0;
    for (auto _ : state) {
        Launch launch = Run(program, argument, title, question);
        if (!launch.ok) {
            state.SkipWithError("the dialog did not show within 30 s");
            break;
        }
        state.SetIterationTime(launch.seconds);
        peak = std::max(peak, launch.peakKb);
        question_seconds += launch.questionSeconds;
    }
    state.counters["peak_kb"] = static_cast<double>(peak);
    if (question) state.counters["question_ms"] = 1e3 * question_seconds / static_cast<double>(state.iterations());
}

void BM_StartupProgram(benchmark::State& state) {
    Startup(state, g_program, nullptr, "Veldrin Tarnwise Program", "Are you sure");
}

void BM_StartupEmptyDialog(benchmark::State& state) { Startup(state, g_emptyDialog, nullptr, "Empty dialog", nullptr); }

// The same empty dialog after the same kind of question: what the question
// alone costs.
void BM_StartupEmptyDialogAfterQuestion(benchmark::State& state) {
    Startup(state, g_emptyDialog, "--ask", "Empty dialog", "Are you sure");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    g_program = VELDRIN_PROGRAM;
    g_emptyDialog = VELDRIN_EMPTY_DIALOG;
    for (auto [name, function] :
         {std::pair{"BM_StartupProgram", BM_StartupProgram}, std::pair{"BM_StartupEmptyDialog", BM_StartupEmptyDialog},
          std::pair{"BM_StartupEmptyDialogAfterQuestion", BM_StartupEmptyDialogAfterQuestion}})
        benchmark::RegisterBenchmark(name, function)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
    // The first GTK program on a display probes OpenGL, loading Mesa's
    // software driver and LLVM (about 50 MB and a tenth of a second), and
    // leaves what it found on the root window (GDK_VISUALS) for every later
    // one. A player's desktop has it already; one start of each program that
    // is not measured keeps the probe out of both sides.
    Run(g_emptyDialog, nullptr, "Empty dialog", nullptr);
    Run(g_program, nullptr, "Veldrin Tarnwise Program", "Are you sure");
    bench::RatioReporter reporter({
        {"BM_StartupProgram/", "BM_StartupEmptyDialog/", "start-up to the filled main dialog (50 mods)", 1.15},
        {"BM_StartupProgram/", "BM_StartupEmptyDialogAfterQuestion/", "the same, against a dialog after a question", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
