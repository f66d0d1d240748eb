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
#include "core/paths.h"
#include "core/player_messages.h"
#include "platform/wildcard.h"

#ifndef VELDRIN_VERSION
#define VELDRIN_VERSION "unknown"
#endif

namespace {

void Tell(const std::string& message) { std::fprintf(stderr, "VeldrinIns: %s\n", message.c_str()); }

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

// What an option does to the request.
enum class Effect { Command, GameDir, Porcelain, Help, Version, LeaveOut };

// One option of the command line, as the parser reads it and --help shows it.
struct Option {
    const char* name;       // "--game-dir"
    const char* shortName;  // "-h", or null
    const char* value;      // the value it takes ("DIR"), or null for none
    const char* help;       // its lines in --help, '\n' between them; paths written with backslashes
    Effect effect;
    Request::Command command = Request::None;  // Effect::Command: the command it is
    bool InstallOptions::*extra = nullptr;     // Effect::LeaveOut: the extra --install then does not copy
};

// Every option, in the order --help lists them.
const Option kOptions[] = {
    {"--list", nullptr, nullptr,
     "print the mods the window lists, a line each: folder, status and\n"
     "name, separated by tabs",
     Effect::Command, Request::List},
    {"--install", nullptr, "MOD",
     "install the bot into the mod whose folder is MOD (cstrike, ...,\n"
     "matched ignoring case), with the extras the window ticks; only a\n"
     "mod whose status is \"not installed\" or \"need upgrade\"",
     Effect::Command, Request::Install},
    {"--remove", nullptr, "MOD",
     "remove the bot from the mod whose folder is MOD; only a mod whose\n"
     "status is \"installed\"",
     Effect::Command, Request::Remove},
    {"--game-dir", nullptr, "DIR",
     "the Half-Life folder, holding Veldrin\\veldrinins.ini; when not\n"
     "given, found as the window finds it",
     Effect::GameDir},
    {"--porcelain", nullptr, nullptr, "print the status as one word: installed, not-installed, need-upgrade",
     Effect::Porcelain},
    {"--no-names", nullptr, nullptr, "with --install: do not copy the names file", Effect::LeaveOut, Request::None,
     &InstallOptions::bCopyNames},
    {"--no-waypoints", nullptr, nullptr, "with --install: do not copy the waypoints", Effect::LeaveOut, Request::None,
     &InstallOptions::bCopyWaypoints},
    {"--no-cfg", nullptr, nullptr, "with --install: do not copy Veldrin.cfg", Effect::LeaveOut, Request::None,
     &InstallOptions::bCopyCfg},
    {"--no-chat", nullptr, nullptr, "with --install: do not copy the chat file", Effect::LeaveOut, Request::None,
     &InstallOptions::bCopyChat},
    {"--no-wpn-configs", nullptr, nullptr, "with --install: do not copy the weapon configuration (one mod has it)",
     Effect::LeaveOut, Request::None, &InstallOptions::bCopyWpnConfigs},
    {"--help", "-h", nullptr, "show this help", Effect::Help},
    {"--version", "-V", nullptr, "show the version", Effect::Version},
};

// The forms of the command, each after "VeldrinIns ", and what the program
// does, between them and the options in --help.
const char* const kUsage[] = {
    "--list [--porcelain] [--game-dir DIR]",
    "--install MOD [--game-dir DIR] [--no-names] [--no-waypoints] [--no-cfg]\n"
    "[--no-chat] [--no-wpn-configs]",
    "--remove MOD [--game-dir DIR]",
    "-h | --help",
    "-V | --version",
};
const char kAbout[] =
    "VeldrinIns installs the Veldrin bot into a Half-Life mod, or removes it.\n"
    "--list, --install and --remove exclude each other: give one of them, and each option at\n"
    "most once. Without arguments the program opens its window.\n";

// The exit statuses as --help tells them.
struct ExitStatus {
    CommandLineStatus status;
    const char* help;  // '\n' between its lines
};
const ExitStatus kExitStatuses[] = {
    {kCommandDone, "the mod ended as asked (or the list, help or version was printed)"},
    {kCommandNotChanged,
     "the mod could not be changed, or its status does not allow the change, and is left\n"
     "as it was; or the list could not be written, or a mod's liblist.gam read"},
    {kCommandUsage, "a usage error, or a MOD that is not in the list"},
    {kCommandNoGame, "no game folder, no catalogue in it, or a game folder too deep for its paths"},
    {kCommandExtrasNotCopied,
     "the mod was changed, but some extras could not be copied, or the bot's library\n"
     "could not be deleted, or the lines liblist.gam.veldrin keeps could not be given\n"
     "back"},
    {kCommandNoMods, "the game folder holds the package but none of the mods of its catalogue"},
    {kCommandLinuxServer, "installed, but a Linux server loads the mod's gamedll_linux library, not the bot"},
};

// text with indent put before each line after its first, and a line end.
std::string Lines(const std::string& text, const std::string& indent) {
    std::string lines;
    for (char c : text) lines += c == '\n' ? "\n" + indent : std::string(1, c);
    return lines + "\n";
}

std::string HelpText() {
    std::string text;
    for (const char* form : kUsage)
        text += (text.empty() ? "Usage: VeldrinIns " : "       VeldrinIns ") + Lines(form, std::string(18, ' '));
    text += std::string("\n") + kAbout + "\n";
    const size_t column = 18;  // where the options' help starts, after two spaces
    for (const Option& option : kOptions) {
        std::string label = option.shortName ? std::string(option.shortName) + ", " + option.name : option.name;
        if (option.value) label += std::string(" ") + option.value;
        label.resize(std::max(column, label.size() + 2), ' ');
        // No game directory is chosen yet, so ForPlayer only writes the
        // host's separators.
        text += "  " + label + Lines(layout::ForPlayer(option.help), std::string(2 + column, ' '));
    }
    text += "\nExit status:\n";
    for (const ExitStatus& status : kExitStatuses)
        text += "  " + std::to_string(status.status) + "  " + Lines(status.help, "     ");
    return text;
}

// The option named arg (its name or its short name), or null.
const Option* FindOption(const std::string& arg) {
    for (const Option& option : kOptions)
        if (arg == option.name || (option.shortName && arg == option.shortName)) return &option;
    return nullptr;
}

// Reads the arguments into request. Returns the mistake in words, or an
// empty string when there is none.
std::string Parse(int argc, char** argv, Request& request) {
    request.options = InstallOptions{true, true, true, true, true};
    std::vector<const Option*> seen;
    const Option* leftOut = nullptr;  // a --no-... given, which only --install takes
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
        const Option* option = FindOption(arg);
        if (option) arg = option->name;
        if (std::find(seen.begin(), seen.end(), option) != seen.end()) return "option '" + arg + "' is given twice";

        const bool takesValue = option && option->value;
        if (hasValue && !takesValue) return "option '" + arg + "' takes no value";
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return "option '" + arg + "' needs a " + option->value;
            value = argv[++i];
        }
        if (!option) return (!arg.empty() && arg[0] == '-' ? "unknown option '" : "unexpected argument '") + arg + "'";
        seen.push_back(option);

        switch (option->effect) {
            case Effect::Command:
                if (request.command != Request::None) return "--list, --install and --remove exclude each other";
                request.command = option->command;
                request.mod = value;
                break;
            case Effect::GameDir:
                request.gameDir = value;
                request.gameDirGiven = true;
                break;
            case Effect::Porcelain: request.porcelain = true; break;
            case Effect::Help: request.help = true; break;
            case Effect::Version: request.version = true; break;
            case Effect::LeaveOut:
                request.options.*option->extra = false;
                leftOut = option;
                break;
        }
    }
    if (request.help || request.version) return std::string();
    if (request.command == Request::None) return "give one of --list, --install MOD and --remove MOD";
    if (leftOut && request.command != Request::Install) return std::string(leftOut->name) + " goes with --install only";
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
        // No game directory is chosen yet: ForPlayer only writes the host's
        // separators.
        Tell("the game folder \"" + dir + "\" holds no " + layout::ForPlayer("Veldrin\\veldrinins.ini") +
             ": unpack the Veldrin package there, or name another folder with --game-dir");
        return false;
    }
    return true;
}

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
    const std::vector<ChangeNote> notes = ChangeNotes(install ? ChangeAction::Install : ChangeAction::Remove, mod,
                                                      core.m_strModFolder[slot], outcome, kLinuxHost);
    if (!outcome.Done()) {
        for (const ChangeNote& note : notes) Tell(note.text);
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
    for (const ChangeNote& note : notes) {
        Tell(note.text);
        if (note.kind == ChangeNote::NotAllDone) status = kCommandExtrasNotCopied;
        if (note.kind == ChangeNote::LinuxServer && status == kCommandDone) status = kCommandLinuxServer;
    }
    return status;
}

// The mods of the catalogue whose liblist.gam cannot be read, each told on
// its own line. Returns true when there were any.
bool TellUnreadable(const InstallerCore& core) {
    const std::vector<UnreadableMod> unreadable = UnreadableMods(core);
    for (const UnreadableMod& mod : unreadable)
        Tell("cannot read " + mod.detail + "; " + core.m_strModFolder[mod.slot] + " (" + core.m_strModName[mod.slot] +
             ") is left out of the list");
    return !unreadable.empty();
}

int List(InstallerCore& core, const ModRowList& rows, bool porcelain) {
    // A list without a mod that is there is not the whole list.
    if (rows.rows.empty() && TellUnreadable(core)) return kCommandNotChanged;
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
    return TellUnreadable(core) ? kCommandNotChanged : kCommandDone;
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
        // A mod that is there but cannot be read is no usage error.
        for (const UnreadableMod& mod : UnreadableMods(core)) {
            if (!platform::EqualIgnoringCase(core.m_strModFolder[mod.slot], request.mod)) continue;
            Tell(std::string("could not ") +
                 (request.command == Request::Install ? "install the bot into " : "remove the bot from ") +
                 core.m_strModFolder[mod.slot] + " (" + core.m_strModName[mod.slot] +
                 "), its liblist.gam cannot be read (" + mod.detail + "); the mod is left as it was");
            return kCommandNotChanged;
        }
        std::string folders;
        for (const ModRow& row : rows.rows) folders += (folders.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
        Tell("no mod \"" + request.mod + "\" in the list of " + g_szGameDir +
             (folders.empty() ? std::string(", which is empty") : "; it lists " + folders) + "; nothing changed");
        return kCommandUsage;
    }
    return Change(core, rows, *target, request);
}
