// What the dialog tells the player when something did not go as asked: a
// failed Install or Remove, a folder that cannot serve as the game directory,
// a start without one. Plain text in the core's narrow strings, composed
// without any window, so that each can be checked on its own.
#pragma once

#include <string>

#include "core/installer_core.h"

enum class ChangeAction { Install, Remove };

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
