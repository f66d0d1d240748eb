#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>  // _get_osfhandle
#include <windows.h>
#include <shellapi.h>  // CommandLineToArgvW
#endif

#include "core/installer_core.h"
#include "core/game_folder.h"
#include "core/paths.h"
#include "core/player_messages.h"
#include "core/translations.h"
#include "platform/game_dir.h"
#include "platform/text_encoding.h"
#include "platform/wildcard.h"

#ifndef VELDRIN_VERSION
#define VELDRIN_VERSION "unknown"
#endif

namespace {

// Writes text in the terminal's encoding. On Windows a console takes UTF-16
// (its own code page would garble what it lacks), and a file or pipe gets
// UTF-8; elsewhere the text's bytes, UTF-8 as the terminal reads them.
void Write(std::FILE* stream, const std::string& text) {
#ifdef _WIN32
    // The stream's own handle: the windowed program's streams may have been
    // opened on the parent's console after start-up (UseParentConsole).
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = platform::WideOfNarrow(text);
        DWORD written = 0;
        if (!wide.empty() && WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr))
            return;
    }
    std::fputs(platform::NarrowToUtf8(text).c_str(), stream);
#else
    std::fputs(text.c_str(), stream);
#endif
}

void Tell(const std::string& message) { Write(stderr, "VeldrinIns: " + message + "\n"); }

// What the command line asks for.
struct Request {
    enum Command { None, List, Install, Remove } command = None;
    std::string mod;
    std::string gameDir;
    bool gameDirGiven = false;
    int gameDirArgument = 0;     // the argument that holds --game-dir's folder
    bool gameDirJoined = false;  // given as --game-dir=FOLDER
    bool porcelain = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    InstallOptions options;
};

// What an option does to the request.
enum class Effect { Command, GameDir, Porcelain, Quiet, Help, Version, LeaveOut };

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

// Every option, in the order --help and the manual page list them. Each
// line of help fits 80 columns after the option's column.
const Option kOptions[] = {
    {"--list", nullptr, nullptr,
     TrMark("print the mods the window lists, a line each: folder,\n"
            "status and name, separated by tabs"),
     Effect::Command, Request::List},
    {"--install", nullptr, "MOD",
     TrMark("install the bot into the mod whose folder is MOD (cstrike,\n"
            "..., matched ignoring case), with the extras the window\n"
            "ticks: a mod \"not installed\", or in \"need upgrade\", which\n"
            "it upgrades; one \"installed\" is left as it is, with a note"),
     Effect::Command, Request::Install},
    {"--remove", nullptr, "MOD",
     TrMark("remove the bot from the mod whose folder is MOD: a mod\n"
            "\"installed\"; one \"not installed\" is left as it is, with a\n"
            "note"),
     Effect::Command, Request::Remove},
    {"--game-dir", nullptr, "DIR",
     TrMark("the Half-Life folder, holding Veldrin\\veldrinins.ini, or\n"
            "that Veldrin folder itself; when not given, found as the\n"
            "window finds it"),
     Effect::GameDir},
    {"--porcelain", nullptr, nullptr,
     TrMark("with --list, --install and --remove: print the status as\n"
            "one word, installed, not-installed or need-upgrade"),
     Effect::Porcelain},
    {"--quiet", "-q", nullptr, TrMark("print no notes on standard error, only what went wrong"), Effect::Quiet},
    {"--no-names", nullptr, nullptr, TrMark("with --install: do not copy the names file"), Effect::LeaveOut,
     Request::None, &InstallOptions::bCopyNames},
    {"--no-waypoints", nullptr, nullptr, TrMark("with --install: do not copy the waypoints"), Effect::LeaveOut,
     Request::None, &InstallOptions::bCopyWaypoints},
    {"--no-cfg", nullptr, nullptr, TrMark("with --install: do not copy Veldrin.cfg"), Effect::LeaveOut, Request::None,
     &InstallOptions::bCopyCfg},
    {"--no-chat", nullptr, nullptr, TrMark("with --install: do not copy the chat file"), Effect::LeaveOut,
     Request::None, &InstallOptions::bCopyChat},
    {"--no-wpn-configs", nullptr, nullptr,
     TrMark("with --install: do not copy the weapon configuration (one\n"
            "mod has it)"),
     Effect::LeaveOut, Request::None, &InstallOptions::bCopyWpnConfigs},
    {"--help", "-h", nullptr, TrMark("show this help"), Effect::Help},
    {"--version", "-V", nullptr, TrMark("show the version"), Effect::Version},
};

// The forms of the command, each after "VeldrinIns ", and what the program
// does, between them and the options in --help. The manual page's SYNOPSIS
// gives the same forms.
const char* const kUsage[] = {
    "--list [--porcelain] [--quiet] [--game-dir DIR]",
    "--install MOD [--porcelain] [--quiet] [--game-dir DIR]\n"
    "[--no-names] [--no-waypoints] [--no-cfg] [--no-chat]\n"
    "[--no-wpn-configs]",
    "--remove MOD [--porcelain] [--quiet] [--game-dir DIR]",
    "-h | --help",
    "-V | --version",
};
const char kAbout[] = TrMark(
    "VeldrinIns installs the Veldrin bot into a Half-Life mod, or removes it.\n"
    "--list, --install and --remove exclude each other: give one of them, and each\n"
    "option at most once; -- ends the options. A mod that is already as asked is\n"
    "left as it is, with a note, and the status is 0. Without arguments the\n"
    "program opens its window.\n");

// The exit statuses as --help tells them; each is the first sentence of the
// status in the manual page's EXIT STATUS.
struct ExitStatus {
    CommandLineStatus status;
    const char* help;  // '\n' between its lines
};
const ExitStatus kExitStatuses[] = {
    {kCommandDone, TrMark("the mod ended as asked, or already was so (a note says which); or the list,\n"
                          "the help or the version was printed")},
    {kCommandNotChanged, TrMark("the mod could not be changed and is left as it was: a file could not be\n"
                                "changed, another installer kept the game folder busy, or its status does\n"
                                "not allow the change; or the list could not be written, or a mod's\n"
                                "liblist.gam could not be read")},
    {kCommandUsage, TrMark("a usage error, or a MOD that is not in the list")},
    {kCommandNoGame, TrMark("no game folder, no catalogue in it, or a game folder too deep for its paths")},
    {kCommandExtrasNotCopied, TrMark("the mod was changed, but some extras could not be copied, or the bot's\n"
                                     "library could not be deleted, or the kept lines could not be given back")},
    {kCommandNoMods, TrMark("--list: the game folder holds the package, but none of the mods of its\n"
                            "catalogue")},
    {kCommandLinuxServer, TrMark("--install: installed, but a Linux server loads the mod's gamedll_linux\n"
                                 "library, not the bot")},
};

// text with indent put before each line after its first, and a line end.
std::string Lines(const std::string& text, const std::string& indent) {
    std::string lines;
    for (char c : text) lines += c == '\n' ? "\n" + indent : std::string(1, c);
    return lines + "\n";
}

// The columns text takes in a terminal: one for each character of its
// UTF-8, two for the wide ones of the East Asian scripts.
size_t Columns(const std::string& text) {
    size_t columns = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;
        unsigned long code = c;
        if ((c & 0xF0) == 0xE0 && i + 2 < text.size())
            code = (c & 0x0Ful) << 12 | (static_cast<unsigned char>(text[i + 1]) & 0x3Ful) << 6 |
                   (static_cast<unsigned char>(text[i + 2]) & 0x3Ful);
        const bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                          (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                          (code >= 0xFF00 && code <= 0xFF60);
        columns += wide ? 2 : 1;
    }
    return columns;
}

// The name the command was started by, for the help's forms and the
// pointer to it: a Linux server with only the console package has
// "veldrinins", and no "VeldrinIns" to type. On Windows "VeldrinIns", which
// cmd.exe runs as the .com whatever the case typed.
std::string CommandName(const char* argv0) {
#ifndef _WIN32
    if (argv0 && *argv0) {
        const char* slash = std::strrchr(argv0, '/');
        const std::string name = slash ? slash + 1 : argv0;
        if (!name.empty()) return name;
    }
#else
    (void)argv0;
#endif
    return "VeldrinIns";
}

std::string HelpText(const std::string& command) {
    std::string text;
    const std::string usage = Tr("Usage:");
    const std::string program = " " + command + " ";
    const size_t indent = Columns(usage) + program.size();
    for (const char* form : kUsage)
        text +=
            (text.empty() ? usage : std::string(Columns(usage), ' ')) + program + Lines(form, std::string(indent, ' '));
    text += std::string("\n") + Tr(kAbout) + "\n";
    const size_t column = 18;  // where the options' help starts, after two spaces
    for (const Option& option : kOptions) {
        std::string label = option.shortName ? std::string(option.shortName) + ", " + option.name : option.name;
        if (option.value) label += std::string(" ") + option.value;
        label.resize(std::max(column, label.size() + 2), ' ');
        // No game directory is chosen yet, so ForPlayer only writes the
        // host's separators.
        text += "  " + label + Lines(layout::ForPlayer(Tr(option.help)), std::string(2 + column, ' '));
    }
    text += std::string("\n") + Tr("Exit status:") + "\n";
    for (const ExitStatus& status : kExitStatuses)
        text += "  " + std::to_string(status.status) + "  " + Lines(Tr(status.help), "     ");
    return text;
}

// The option named arg (its name or its short name), or null.
const Option* FindOption(const std::string& arg) {
    for (const Option& option : kOptions)
        if (arg == option.name || (option.shortName && arg == option.shortName)) return &option;
    return nullptr;
}

// name without its hyphens, in small letters: "--gamedir" and "--Game-Dir"
// alike stand for "gamedir".
std::string Bare(const std::string& name) {
    std::string bare;
    for (char c : name)
        if (c != '-') bare += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return bare;
}

// Why arg is no option, with the option it may have meant.
std::string Unknown(const std::string& arg) {
    if (arg.empty() || arg[0] != '-') return Fill(Tr("unexpected argument '%s'"), {arg});
    for (const Option& option : kOptions)
        if (Bare(arg) == Bare(option.name))
            return Fill(Tr("unknown option '%s' (did you mean '%s'?)"), {arg, option.name});
    return Fill(Tr("unknown option '%s'"), {arg});
}

// The folder --game-dir names. In a batch file, "%~dp0" is the batch file's
// folder with a backslash at its end, which the C runtime reads with the
// quote after it as a quote of the argument's: the folder arrives with a
// quote at its end, which is taken as where the folder ends. Sets mistake,
// on Windows, when a quote stands inside the value, where the arguments
// after such a quoted folder have been taken into it.
std::string GameDirOfValue(const std::string& value, std::string& mistake) {
    std::string dir = value;
    if (!dir.empty() && dir.back() == '"') dir.pop_back();
#ifdef _WIN32
    // No Windows path holds a quote.
    if (dir.find('"') != std::string::npos)
        mistake = Fill(Tr("the folder of option '--game-dir', '%s', holds a quote: a quoted folder that ends in a "
                          "backslash takes the arguments after it with it; give --game-dir last, or its folder "
                          "without the backslash at its end"),
                       {value});
#else
    (void)mistake;
#endif
    return dir;
}

// Reads the arguments into request. Returns the mistake in words, or an
// empty string when there is none.
std::string Parse(int argc, char** argv, Request& request) {
    request.options = InstallOptions{true, true, true, true, true};
    std::vector<const Option*> seen;
    const Option* leftOut = nullptr;  // a --no-... given, which only --install takes
    bool optionsEnded = false;        // after "--", every argument is a word, never an option
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded) return Fill(Tr("unexpected argument '%s'"), {arg});
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
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
        if (!option) return Unknown(arg);
        arg = option->name;
        if (std::find(seen.begin(), seen.end(), option) != seen.end())
            return Fill(Tr("option '%s' is given twice"), {arg});

        const bool takesValue = option->value != nullptr;
        if (hasValue && !takesValue) return Fill(Tr("option '%s' takes no value"), {arg});
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) return Fill(Tr("option '%s' needs a %s"), {arg, option->value});
            value = argv[++i];
        }
        seen.push_back(option);

        switch (option->effect) {
            case Effect::Command:
                if (request.command != Request::None) return Tr("--list, --install and --remove exclude each other");
                request.command = option->command;
                request.mod = value;
                break;
            case Effect::GameDir: {
                std::string mistake;
                request.gameDir = GameDirOfValue(value, mistake);
                if (!mistake.empty()) return mistake;
                request.gameDirGiven = true;
                request.gameDirArgument = i;
                request.gameDirJoined = hasValue;
                break;
            }
            case Effect::Porcelain: request.porcelain = true; break;
            case Effect::Quiet: request.quiet = true; break;
            case Effect::Help: request.help = true; break;
            case Effect::Version: request.version = true; break;
            case Effect::LeaveOut:
                request.options.*option->extra = false;
                leftOut = option;
                break;
        }
    }
    if (request.help || request.version) return std::string();
    if (request.command == Request::None) return Tr("give one of --list, --install MOD and --remove MOD");
    if (leftOut && request.command != Request::Install) return Fill(Tr("%s goes with --install only"), {leftOut->name});
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
    Write(stdout, core.m_strModFolder[SlotOf(row)] + "\t" +
                      (porcelain ? Porcelain(row.status) : Tr(row.status.c_str())) + "\t" + row.name + "\n");
}

// The game folder to use: the one given, else the one the dialog would
// find. Returns false, having told why, when there is none to use.
bool ChooseGameDirectory(const Request& request, std::string& dir) {
    if (request.gameDirGiven) {
        dir = request.gameDir;
        // "Half-Life/" would put a second separator before every name.
        while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\') && dir[dir.size() - 2] != ':')
            dir.pop_back();
        // The package folder itself stands for the game folder it lies in, as
        // it does in the window's Browse.
        if (!layout::HoldsPackage(dir)) {
            const std::string parent = layout::GameDirectoryAbovePackage(dir);
            if (!parent.empty()) dir = parent;
        }
    } else {
        dir = layout::FindGameDirectory();
        // The registry or Steam named a folder this Windows' code page
        // cannot reach: that, not a missing package, is what to tell.
        const std::vector<platform::NarrowPath> unheld = platform::UnheldGameDirectories();
        if (!layout::HoldsPackage(dir) && !unheld.empty()) {
            Tell(UnheldFolderLine(unheld.front().utf8, unheld.front().unheld, platform::AnsiCodePage()));
            return false;
        }
        if (dir.empty()) {
            Tell(
                Tr("no game folder found: no Half-Life key in the registry, no Veldrin package folder holding the "
                   "program or the working directory, no Steam Half-Life folder; name one with --game-dir"));
            return false;
        }
    }
    if (dir.size() > layout::MaxGameDirLength()) {
        const size_t length = layout::MaxGameDirLength();
        Tell(Fill(
            TrPlural("the game folder \"%s\" is longer than %s character, which the installer cannot use",
                     "the game folder \"%s\" is longer than %s characters, which the installer cannot use", length),
            {dir, std::to_string(length)}));
        return false;
    }
    if (!layout::HoldsPackage(dir)) {
        // No game directory is chosen yet: ForPlayer only writes the host's
        // separators.
        Tell(Fill(Tr("the game folder \"%s\" holds no %s: unpack the Veldrin package there, or name another folder "
                     "with --game-dir"),
                  {dir, layout::ForPlayer("Veldrin\\veldrinins.ini")}));
        return false;
    }
    return true;
}

// Tells a note, a line about what went as asked, unless --quiet.
void TellNote(const Request& request, const std::string& note) {
    if (!request.quiet) Tell(note);
}

// The status a change of the row ends in: "installed" for Install, "not
// installed" for Remove.
int AskedStatus(bool install) { return install ? StatusInstalled : StatusNotInstalled; }

// For a mod whose row shows it as the command asks already: prints the row
// and tells the note that nothing changed. Returns kCommandDone.
int AlreadySo(const ModRow& row, const InstallerCore& core, const std::string& mod, const Request& request) {
    PrintRow(row, core, request.porcelain);
    TellNote(request, Fill(request.command == Request::Install
                               ? Tr("note: the bot is already installed in %s, whose status is \"%s\"; nothing changed")
                               : Tr("note: the bot is not installed in %s, whose status is \"%s\"; nothing changed"),
                           {mod, Tr(row.status.c_str())}));
    return kCommandDone;
}

// The change the dialog would offer for the row, as the command line is
// allowed to make it. Returns false, having told why, when it is not.
bool Allowed(const ModRow& row, const std::string& mod, bool install) {
    if (install ? OffersInstall(row.data) : OffersRemove(row.data)) return true;
    Tell(Fill(install ? Tr("did not install the bot into %s: its status is \"%s\", and Install is for a mod whose "
                           "status is \"not installed\" or \"need upgrade\"; nothing changed")
                      : Tr("did not remove the bot from %s: its status is \"%s\", and Remove is for a mod whose "
                           "status is \"installed\"; nothing changed"),
              {mod, Tr(row.status.c_str())}));
    return false;
}

// Installs or removes, and tells the result.
int Change(InstallerCore& core, ModRowList& list, const ModRow& target, const Request& request) {
    const bool install = request.command == Request::Install;
    const int slot = SlotOf(target);
    const std::string mod = core.m_strModFolder[slot] + " (" + core.m_strModName[slot] + ")";
    // Asked for what already holds, a script has what it wants: nothing to
    // change, and no failure.
    if (ItemDataStatus(target.data) == AskedStatus(install)) return AlreadySo(target, core, mod, request);
    if (!Allowed(target, mod, install)) return kCommandNotChanged;
    const ChangeOutcome outcome =
        install ? core.InstallMod(target.data, request.options, list) : core.RemoveMod(target.data, list);

    // The scan after the change has the last word.
    const ModRow* after = list.ForSlot(slot);
    const bool asked = after && ItemDataStatus(after->data) == AskedStatus(install);
    // Another installer or a script made the change between the list and
    // the lock: the mod is as asked all the same.
    if (outcome.problem == ChangeProblem::StateChanged && asked) return AlreadySo(*after, core, mod, request);

    const std::vector<ChangeNote> notes = ChangeNotes(install ? ChangeAction::Install : ChangeAction::Remove, mod,
                                                      core.m_strModFolder[slot], outcome, kLinuxHost);
    if (!outcome.Done()) {
        for (const ChangeNote& note : notes) Tell(note.text);
        return kCommandNotChanged;
    }
    if (!asked) {
        const char* format =
            after ? (install ? Tr("installed the bot's library into %s, but the mod still shows as \"%s\"")
                             : Tr("removed the bot from %s, but the mod still shows as \"%s\""))
                  : (install ? Tr("installed the bot's library into %s, but the mod is no longer in the list")
                             : Tr("removed the bot from %s, but the mod is no longer in the list"));
        Tell(Fill(format, {mod, after ? Tr(after->status.c_str()) : ""}));
        return kCommandNotChanged;
    }
    PrintRow(*after, core, request.porcelain);

    int status = kCommandDone;
    for (const ChangeNote& note : notes) {
        const bool isNote = note.kind == ChangeNote::Note || note.kind == ChangeNote::LinuxServer;
        if (isNote) TellNote(request, note.text);
        else Tell(note.text);
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
        Tell(Fill(Tr("cannot read %s; %s (%s) is left out of the list"),
                  {mod.detail, core.m_strModFolder[mod.slot], core.m_strModName[mod.slot]}));
    return !unreadable.empty();
}

int List(InstallerCore& core, const ModRowList& rows, const Request& request) {
    // A list without a mod that is there is not the whole list.
    if (rows.rows.empty() && TellUnreadable(core)) return kCommandNotChanged;
    if (rows.rows.empty()) {
        Tell(NoModsLine(g_szGameDir));
        return kCommandNoMods;
    }
    std::string servers;
    for (const ModRow& row : rows.rows) {
        PrintRow(row, core, request.porcelain);
        if (kLinuxHost && !core.LinuxServerLibrary(SlotOf(row)).empty())
            servers += (servers.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Tell(Fill(Tr("could not write the list: %s"), {std::strerror(errno)}));
        return kCommandNotChanged;
    }
    if (!servers.empty())
        TellNote(request, Fill(Tr("note: a Linux server loads the library of the gamedll_linux line, not the bot, in "
                                  "%s: the package holds no Linux library of the bot"),
                               {servers}));
    return TellUnreadable(core) ? kCommandNotChanged : kCommandDone;
}

// Writes text to standard output; status 1 when it cannot be written.
int Print(const std::string& text) {
    Write(stdout, text);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        Tell(Fill(Tr("could not write to standard output: %s"), {std::strerror(errno)}));
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

// The arguments as Windows holds them, in UTF-16, each in the file layer's
// narrow form; empty when they are not the ones argv holds. The C runtime
// gives argv in the ANSI code page, with a look-alike or '?' for a
// character that lacks, which could name another folder and hides that
// one was lost.
std::vector<platform::NarrowPath> WideArguments(int argc) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<platform::NarrowPath> arguments;
    if (!wide) return arguments;
    if (count == argc)
        for (int i = 0; i < count; ++i) arguments.push_back(platform::NarrowPathOfWide(wide[i]));
    LocalFree(wide);
    return arguments;
}
#endif

}  // namespace

int RunCommandLine(int argc, char** argv) {
#ifdef _WIN32
    UseParentConsole();
    const std::vector<platform::NarrowPath> wide = WideArguments(argc);
    std::vector<std::string> narrow(wide.size());
    std::vector<char*> arguments(argv, argv + argc);
    for (size_t i = 1; i < wide.size(); ++i) {
        narrow[i] = wide[i].narrow;
        arguments[i] = narrow[i].data();
    }
    argv = arguments.data();
#endif
    Request request;
    const std::string mistake = Parse(argc, argv, request);
    if (!mistake.empty()) {
        // Every catalogue keeps the command as it is; it is the one typed.
        std::string told = Fill(Tr("%s; see 'VeldrinIns --help'"), {mistake});
        const size_t at = told.rfind("VeldrinIns --help");
        if (at != std::string::npos) told.replace(at, std::strlen("VeldrinIns"), CommandName(argv[0]));
        Tell(told);
        return kCommandUsage;
    }
#ifdef _WIN32
    if (request.gameDirGiven && static_cast<size_t>(request.gameDirArgument) < wide.size() &&
        !wide[request.gameDirArgument].unheld.empty()) {
        std::string folder = wide[request.gameDirArgument].utf8;
        if (request.gameDirJoined) folder.erase(0, folder.find('=') + 1);
        if (!folder.empty() && folder.back() == '"') folder.pop_back();
        Tell(UnheldFolderLine(folder, wide[request.gameDirArgument].unheld, platform::AnsiCodePage()));
        return kCommandNoGame;
    }
#endif
    if (request.help) return Print(HelpText(CommandName(argv[0])));
    if (request.version) return Print(std::string("VeldrinIns ") + VELDRIN_VERSION + "\n");

    std::string dir;
    InstallerCore core;
    ModRowList rows;
    if (!ChooseGameDirectory(request, dir) || !core.UseGameDirectory(dir, rows)) return kCommandNoGame;
    if (request.command == Request::List) return List(core, rows, request);

    const ModRow* target = RowOfFolder(rows, core, request.mod);
    if (!target) {
        // A mod that is there but cannot be read is no usage error.
        for (const UnreadableMod& mod : UnreadableMods(core)) {
            if (!platform::EqualIgnoringCase(core.m_strModFolder[mod.slot], request.mod)) continue;
            Tell(Fill(request.command == Request::Install
                          ? Tr("could not install the bot into %s (%s), its liblist.gam cannot be read (%s); the mod "
                               "is left as it was")
                          : Tr("could not remove the bot from %s (%s), its liblist.gam cannot be read (%s); the mod is "
                               "left as it was"),
                      {core.m_strModFolder[mod.slot], core.m_strModName[mod.slot], mod.detail}));
            return kCommandNotChanged;
        }
        std::string folders;
        for (const ModRow& row : rows.rows) folders += (folders.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
        Tell(Fill(folders.empty() ? Tr("no mod \"%s\" in the list of %s, which is empty; nothing changed")
                                  : Tr("no mod \"%s\" in the list of %s; it lists %s; nothing changed"),
                  {request.mod, g_szGameDir, folders}));
        return kCommandUsage;
    }
    return Change(core, rows, *target, request);
}
