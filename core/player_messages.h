// What the dialog tells the player when something did not go as asked: a
// failed Install or Remove, a folder that cannot serve as the game directory,
// a start without one; and the command line's lines for the outcomes of
// Install and Remove. Plain text in the core's narrow strings, composed
// without any window, so that each can be checked on its own.
#pragma once

#include <string>
#include <vector>

#include "core/installer_core.h"

enum class ChangeAction { Install, Remove };

// True where a Linux server may be what runs the mods of the game folder,
// loading the library of their gamedll_linux lines: everywhere but on
// Windows, where the game and its servers load the gamedll line's. Only here
// do the front ends tell of those lines.
#ifdef _WIN32
constexpr bool kLinuxHost = false;
#else
constexpr bool kLinuxHost = true;
#endif

struct ChangeReport {
    std::string text;                 // empty: the change was done, with every extra; nothing to tell
    bool offersAdminRestart = false;  // the text ends by asking whether to start again as administrator
    bool warning = true;              // false: the change was done and the text only informs
};

// The phrase for a problem in one line: "the disk is full". The command
// line says it after what could not be done; the dialog's box gives the
// advice of the same table.
[[nodiscard]] const char* ProblemSummary(ChangeProblem problem);

// The report of an Install or Remove of the mod named modName: what was
// asked, that the mod was left as it was (or what was done but not all:
// extras not copied, the bot's library left behind, kept lines not given
// back), the file and the system's reason, and what the player can do.
// When the change was refused for lack of access and canRestartAsAdmin is
// true, the text ends with the question whether to start the installer
// again as administrator. With tellLinuxServer, an Install into a mod with a
// gamedll_linux line says that a Linux server will not load the bot. An
// empty modName stands for a mod the catalogue no longer names.
ChangeReport ReportChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                          bool canRestartAsAdmin, bool tellLinuxServer = false);

// A line of the command line about an Install or Remove, and what it tells.
struct ChangeNote {
    enum Kind {
        NotChanged,  // the change was not made: the mod is left as it was
        // made, but extras were not copied, the bot's library stayed behind,
        // or the kept lines could not be given back
        NotAllDone,
        Note,         // made; something kept, which the player should know of
        LinuxServer,  // an Install made, whose bot a Linux server will not load
    };
    Kind kind;
    std::string text;
};

// The command line's lines about an Install or Remove of mod (its folder and
// name: "tfc (Team Fortress Classic)"), whose folder in the game directory is
// modFolder. For a change not made, the one line of what could not be done,
// why, the file and the system's reason. For one made, a line for each kept
// line or file, the extras not copied and the library left behind, and with
// tellLinuxServer one for a gamedll_linux line, last. Empty when a change was
// made with nothing to tell.
std::vector<ChangeNote> ChangeNotes(ChangeAction action, const std::string& mod, const std::string& modFolder,
                                    const ChangeOutcome& outcome, bool tellLinuxServer);

// A catalogued mod whose liblist.gam is there but cannot be read, which the
// scan leaves out of the rows.
struct UnreadableMod {
    int slot;
    std::string detail;  // its liblist.gam for the player and the system's reason
};

// The catalogued mods of the scan's slots whose liblist.gam is there but
// cannot be read (no permission, a folder of that name, a read error), in
// catalogue order; a mod without a liblist.gam is not among them, as it is
// simply not in the game folder. Empty when every mod was read.
std::vector<UnreadableMod> UnreadableMods(const InstallerCore& core);

// Why catalogued mods are missing from the list: the liblist.gam of each
// cannot be read, for the reason each detail gives after its file
// ("tfc/liblist.gam: Permission denied"), and what to do. Empty when
// details is.
std::string UnreadableModsText(const std::vector<std::string>& details);

// The title of the box in which the player chooses the game directory.
const char* ChooseFolderTitle();

// Why a folder the player chose cannot be the game directory (its path too
// long, or no Veldrin package in it), and what to choose instead.
std::string RefusedFolderText(const std::string& folder);

// For a start that found no usable game directory: gameDir is what was found
// (empty when nothing was); the text tells the player to press Browse and
// choose the Half-Life folder that holds the package folder, or, for a
// folder too long to use, to move the game.
std::string NoGameFolderText(const std::string& gameDir);

// For a game directory that holds the package but none of the mods its
// catalogue names: the dialog's box, and the command line's line.
std::string NoModsText(const std::string& gameDir);
std::string NoModsLine(const std::string& gameDir);

// For a folder whose name holds characters that the ANSI code page
// (codePage) of an older Windows cannot hold, so that the file layer cannot
// reach it: folder and characters as UTF-8. The dialog's box, and the
// command line's line.
std::string UnheldFolderText(const std::string& folder, const std::string& characters, int codePage);
std::string UnheldFolderLine(const std::string& folder, const std::string& characters, int codePage);
