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
};

// The report of an Install or Remove of the mod named modName: what was
// asked, that the mod was left as it was (or which extras are missing), the
// file and the system's reason, and what the player can do. When the change
// was refused for lack of access and canRestartAsAdmin is true, the text
// ends with the question whether to start the installer again as
// administrator. An empty modName stands for a mod the catalogue no longer
// names.
ChangeReport ReportChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                          bool canRestartAsAdmin);

// Why a folder the player chose cannot be the game directory (its path too
// long, or no Veldrin package in it), and what to choose instead.
std::string RefusedFolderText(const std::string& folder);

// For a start that found no usable game directory: gameDir is what was found
// (empty when nothing was); the text tells the player to press Browse and
// choose the Half-Life folder that holds the package folder.
std::string NoGameFolderText(const std::string& gameDir);
