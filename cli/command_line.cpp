#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/installer_core.h"
#include "core/game_folder.h"
#include "core/player_messages.h"
#include "platform/wildcard.h"

#ifndef VELDRIN_VERSION
#define VELDRIN_VERSION "unknown"
#endif

namespace {

// Paths in messages are written as the player's system writes them.
#ifdef _WIN32
const std::string kSeparator = "\\";
#else
const std::string kSeparator = "/";
#endif

void Tell(const std::string& message) { std::fprintf(stderr, "VeldrinIns: %s\n", message.c_str()); }

std::string HelpText() {
    return "Usage: VeldrinIns --list [--porcelain] [--game-dir DIR]\n"
           "       VeldrinIns --install MOD [--game-dir DIR] [--no-names] [--no-waypoints] [--no-cfg]\n"
           "                  [--no-chat] [--no-wpn-configs]\n"
           "       VeldrinIns --remove MOD [--game-dir DIR]\n"
           "       VeldrinIns -h | --help\n"
           "       VeldrinIns -V | --version\n"
           "\n"
           "VeldrinIns installs the Veldrin bot into a Half-Life mod, or removes it.\n"
           "--list, --install and --remove exclude each other: give one of them, and each option at\n"
           "most once. Without arguments the program opens its window.\n"
           "\n"
           "  --list            print the mods the window lists, a line each: folder, status and\n"
           "                    name, separated by tabs\n"
           "  --install MOD     install the bot into the mod whose folder is MOD (cstrike, ...,\n"
           "                    matched ignoring case), with the extras the window ticks; only a\n"
           "                    mod whose status is \"not installed\" or \"need upgrade\"\n"
           "  --remove MOD      remove the bot from the mod whose folder is MOD; only a mod whose\n"
           "                    status is \"installed\"\n"
           "  --game-dir DIR    the Half-Life folder, holding Veldrin" +
           kSeparator +
           "veldrinins.ini; when not\n"
           "                    given, found as the window finds it\n"
           "  --porcelain       print the status as one word: installed, not-installed, need-upgrade\n"
           "  --no-names        with --install: do not copy the names file\n"
           "  --no-waypoints    with --install: do not copy the waypoints\n"
           "  --no-cfg          with --install: do not copy Veldrin.cfg\n"
           "  --no-chat         with --install: do not copy the chat file\n"
           "  --no-wpn-configs  with --install: do not copy the weapon configuration (one mod has it)\n"
           "  -h, --help        show this help\n"
           "  -V, --version     show the version\n"
           "\n"
           "Exit status:\n"
           "  0  the mod ended as asked (or the list, help or version was printed)\n"
           "  1  the mod could not be changed, or its status does not allow the change, and is left\n"
           "     as it was; or the list could not be written\n"
           "  2  a usage error, or a MOD that is not in the list\n"
           "  3  no game folder, no catalogue in it, or a game folder too deep for its paths\n"
           "  4  the mod was changed, but some extras could not be copied, or the bot's library\n"
           "     could not be deleted\n"
           "  5  the game folder holds the package but none of the mods of its catalogue\n"
           "  6  installed, but a Linux server loads the mod's gamedll_linux library, not the bot\n";
}

// What the command line asks for.
struct Request {
    enum Command { None, List, Install, Remove } command = None;
    std::string mod;
    std::string gameDir;
    bool gameDirGiven = false;
    bool porcelain = false;
    bool help = false;
    bool version = false;
    InstallOptions options;
};

// Reads the arguments into request. Returns the mistake in words, or an
// empty string when there is none.
std::string Parse(int argc, char** argv, Request& request) {
    request.options = InstallOptions{true, true, true, true, true};
    std::vector<std::string> seen;
    std::string noSwitch;  // a --no-... given, which only --install takes
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        const size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.erase(equals);
            hasValue = true;
        }
#ifdef _WIN32
        if (arg == "/?") arg = "--help";
#endif
        if (arg == "-h") arg = "--help";
        if (arg == "-V") arg = "--version";
        for (const std::string& earlier : seen)
            if (earlier == arg) return "option '" + arg + "' is given twice";

        const bool takesValue = arg == "--install" || arg == "--remove" || arg == "--game-dir";
        if (hasValue && !takesValue) return "option '" + arg + "' takes no value";
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return "option '" + arg + "' needs " + (arg == "--game-dir" ? "a DIR" : "a MOD");
            value = argv[++i];
        }
        seen.push_back(arg);

        Request::Command command = Request::None;
        if (arg == "--list") command = Request::List;
        else if (arg == "--install") command = Request::Install;
        else if (arg == "--remove") command = Request::Remove;
        if (command != Request::None) {
            if (request.command != Request::None) return "--list, --install and --remove exclude each other";
            request.command = command;
            request.mod = value;
            continue;
        }
        if (arg == "--game-dir") {
            request.gameDir = value;
            request.gameDirGiven = true;
        } else if (arg == "--porcelain") {
            request.porcelain = true;
        } else if (arg == "--help") {
            request.help = true;
        } else if (arg == "--version") {
            request.version = true;
        } else if (arg == "--no-names") {
            request.options.bCopyNames = false;
        } else if (arg == "--no-waypoints") {
            request.options.bCopyWaypoints = false;
        } else if (arg == "--no-cfg") {
            request.options.bCopyCfg = false;
        } else if (arg == "--no-chat") {
            request.options.bCopyChat = false;
        } else if (arg == "--no-wpn-configs") {
            request.options.bCopyWpnConfigs = false;
        } else if (!arg.empty() && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            return "unexpected argument '" + arg + "'";
        }
        if (arg.compare(0, 5, "--no-") == 0) noSwitch = arg;
    }
    if (request.help || request.version) return std::string();
    if (request.command == Request::None) return "give one of --list, --install MOD and --remove MOD";
    if (!noSwitch.empty() && request.command != Request::Install) return noSwitch + " goes with --install only";
    return std::string();
}

using ModRow = ModRowList::Row;

int SlotOf(const ModRow& row) { return ItemDataSlot(row.data); }

const ModRow* RowOfFolder(const ModRowList& list, const InstallerCore& core, const std::string& folder) {
    for (const ModRow& row : list.rows)
        if (platform::EqualIgnoringCase(core.m_strModFolder[SlotOf(row)], folder)) return &row;
    return nullptr;
}

// The status as one word, for scripts.
std::string Porcelain(const std::string& status) {
    std::string word = status;
    for (char& c : word)
        if (c == ' ') c = '-';
    return word;
}

void PrintRow(const ModRow& row, const InstallerCore& core, bool porcelain) {
    std::printf("%s\t%s\t%s\n", core.m_strModFolder[SlotOf(row)].c_str(),
                (porcelain ? Porcelain(row.status) : row.status).c_str(), row.name.c_str());
}

// The game folder to use: the one given, else the one the dialog would
// find. Returns false, having told why, when there is none to use.
bool ChooseGameDirectory(const Request& request, std::string& dir) {
    if (request.gameDirGiven) {
        dir = request.gameDir;
        // "Half-Life/" would put a second separator before every name.
        while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\') && dir[dir.size() - 2] != ':')
            dir.pop_back();
    } else {
        dir = layout::FindGameDirectory();
        if (dir.empty()) {
            Tell(
                "no game folder found: no Half-Life key in the registry, no Veldrin package folder holding the "
                "program or the working directory, no Steam Half-Life folder; name one with --game-dir");
            return false;
        }
    }
    if (dir.size() > layout::MaxGameDirLength()) {
        Tell("the game folder \"" + dir + "\" is longer than " + std::to_string(layout::MaxGameDirLength()) +
             " characters, which the installer cannot use");
        return false;
    }
    if (!layout::HoldsPackage(dir)) {
        Tell("the game folder \"" + dir + "\" holds no Veldrin" + kSeparator + "veldrinins.ini" +
             ": unpack the Veldrin package there, or name another folder with --game-dir");
        return false;
    }
    return true;
}

// Whether a Linux server is what the mods of this host's game folder run
// on: everywhere but on Windows, where the game and its servers load the
// gamedll line's library.
#ifdef _WIN32
constexpr bool kLinuxHost = false;
#else
constexpr bool kLinuxHost = true;
#endif

// The change the dialog would offer for the row, as the command line is
// allowed to make it. Returns false, having told why, when it is not.
bool Allowed(const ModRow& row, const std::string& mod, bool install) {
    if (install ? OffersInstall(row.data) : OffersRemove(row.data)) return true;
    Tell(std::string("did not ") + (install ? "install the bot into " : "remove the bot from ") + mod +
         ": its status is \"" + row.status + "\", and " +
         (install ? "Install is for a mod whose status is \"not installed\" or \"need upgrade\""
                  : "Remove is for a mod whose status is \"installed\"") +
         "; nothing changed");
    return false;
}

// Installs or removes, and tells the result.
int Change(InstallerCore& core, ModRowList& list, const ModRow& target, const Request& request) {
    const bool install = request.command == Request::Install;
    const int slot = SlotOf(target);
    const std::string mod = core.m_strModFolder[slot] + " (" + core.m_strModName[slot] + ")";
    if (!Allowed(target, mod, install)) return kCommandNotChanged;
    const ChangeOutcome outcome =
        install ? core.InstallMod(target.data, request.options, list) : core.RemoveMod(target.data, list);
    const char* verb = install ? "install the bot into " : "remove the bot from ";

    if (!outcome.Done()) {
        std::string message = std::string("could not ") + verb + mod + ", " + ProblemSummary(outcome.problem);
        if (!outcome.detail.empty()) message += " (" + outcome.detail + ")";
        Tell(message + "; the mod is left as it was");
        return kCommandNotChanged;
    }

    // The scan after the change has the last word.
    const ModRow* after = nullptr;
    for (const ModRow& row : list.rows)
        if (SlotOf(row) == slot) after = &row;
    const int asked = install ? StatusInstalled : StatusNotInstalled;
    if (!after || ItemDataStatus(after->data) != asked) {
        std::string shown = after ? "still shows as \"" + after->status + "\"" : "is no longer in the list";
        Tell(std::string(install ? "installed the bot's library into " : "removed the bot from ") + mod +
             ", but the mod " + shown);
        return kCommandNotChanged;
    }
    PrintRow(*after, core, request.porcelain);

    int status = kCommandDone;
    if (!outcome.keptLinesNotGivenBack.empty())
        Tell("note: " + mod + " is back on the library the catalogue names, not on the lines liblist.gam.veldrin " +
             "keeps, since the game could not load a library they name (" + outcome.keptLinesNotGivenBack +
             "); the file was kept: once that library is there, --install and then --remove give its lines back");
    if (!outcome.keptLinesStay.empty())
        Tell("note: " + outcome.keptLinesStay +
             (install ? " keeps the gamedll lines an earlier install replaced, which no remove could give back yet; "
                        "it was kept as it was"
                      : " was kept: some of the lines it keeps are not back in liblist.gam, where other lines stand "
                        "now"));
    if (!outcome.extrasKept.empty()) {
        std::string names;
        for (const std::string& extra : outcome.extrasKept) names += (names.empty() ? "" : ", ") + extra;
        Tell(
            "note: kept these files as they are, since they changed since an install put them there or were not "
            "put there by one: " +
            names + "; the package's copy of each is beside it, its name ending in " + kPackageCopySuffix);
    }
    if (!outcome.libraryLeft.empty()) {
        Tell("removed the bot from " + mod + ", but its library stayed behind, named by nothing (" +
             outcome.libraryLeft + "); delete it once the game or server that holds it has ended");
        status = kCommandExtrasNotCopied;
    }
    if (!outcome.extrasNotCopied.empty()) {
        std::string names;
        for (const std::string& extra : outcome.extrasNotCopied) names += (names.empty() ? "" : ", ") + extra;
        std::string message = "installed the bot into " + mod + ", but could not copy these extras: " + names;
        if (!outcome.detail.empty()) message += " (" + outcome.detail + ")";
        Tell(message);
        status = kCommandExtrasNotCopied;
    }
    if (kLinuxHost && !outcome.linuxServerLibrary.empty()) {
        Tell("note: a Linux server loads " + outcome.linuxServerLibrary + ", which the gamedll_linux line of " +
             core.m_strModFolder[slot] + kSeparator +
             "liblist.gam names, not the bot: the package holds no Linux library of the bot");
        if (status == kCommandDone) status = kCommandLinuxServer;
    }
    return status;
}

int List(InstallerCore& core, const ModRowList& rows, bool porcelain) {
    if (rows.rows.empty()) {
        Tell(NoModsLine(g_szGameDir));
        return kCommandNoMods;
    }
    std::string servers;
    for (const ModRow& row : rows.rows) {
        PrintRow(row, core, porcelain);
        if (kLinuxHost && !core.LinuxServerLibrary(SlotOf(row)).empty())
            servers += (servers.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Tell(std::string("could not write the list: ") + std::strerror(errno));
        return kCommandNotChanged;
    }
    if (!servers.empty())
        Tell("note: a Linux server loads the library of the gamedll_linux line, not the bot, in " + servers +
             ": the package holds no Linux library of the bot");
    return kCommandDone;
}

// Writes text to standard output; status 1 when it cannot be written.
int Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Tell(std::string("could not write to standard output: ") + std::strerror(errno));
        return kCommandNotChanged;
    }
    return kCommandDone;
}

#ifdef _WIN32
// The windowed program has no console of its own. Started from one, its
// output goes there, unless the caller redirected a stream already.
void UseParentConsole() {
    const bool outLost = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN;
    const bool errLost = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN;
    if ((!outLost && !errLost) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (outLost) std::freopen("CONOUT$", "w", stdout);
    if (errLost) std::freopen("CONOUT$", "w", stderr);
}
#endif

}  // namespace

int RunCommandLine(int argc, char** argv) {
#ifdef _WIN32
    UseParentConsole();
#endif
    Request request;
    const std::string mistake = Parse(argc, argv, request);
    if (!mistake.empty()) {
        Tell(mistake + "; see 'VeldrinIns --help'");
        return kCommandUsage;
    }
    if (request.help) return Print(HelpText());
    if (request.version) return Print(std::string("VeldrinIns ") + VELDRIN_VERSION + "\n");

    std::string dir;
    InstallerCore core;
    ModRowList rows;
    if (!ChooseGameDirectory(request, dir) || !core.UseGameDirectory(dir, rows)) return kCommandNoGame;
    if (request.command == Request::List) return List(core, rows, request.porcelain);

    const ModRow* target = RowOfFolder(rows, core, request.mod);
    if (!target) {
        std::string folders;
        for (const ModRow& row : rows.rows) folders += (folders.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
        Tell("no mod \"" + request.mod + "\" in the list of " + g_szGameDir +
             (folders.empty() ? std::string(", which is empty") : "; it lists " + folders) + "; nothing changed");
        return kCommandUsage;
    }
    return Change(core, rows, *target, request);
}
