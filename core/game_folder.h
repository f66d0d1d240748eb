// The game directory: how long it may be, what makes a folder hold the
// Veldrin package, and which of the places the system names is the one to
// use.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/paths.h"  // MaxGameDirLength, UsableGameDirectory

namespace layout {

// True when dir can serve as the game directory: usable, and holding the
// package catalogue "Veldrin\veldrinins.ini" (names matched ignoring case).
[[nodiscard]] bool HoldsPackage(const std::string& dir);

// The parent of folder when folder is a package folder: named Veldrin,
// holding the catalogue, and reached again from its parent as
// "Veldrin\veldrinins.ini"; otherwise an empty string.
std::string GameDirectoryAbovePackage(const std::string& folder);

// The places that may be the game directory, in the order they are tried:
//  1. the registry's values (platform::RegistryGameDirectories);
//  2. the folder above the package folder, when the program or the working
//     directory is a package folder;
//  3. the working directory itself;
//  4. the Half-Life folders of the Steam installations.
// Each once, those that name nothing left out.
// The places left out because the ANSI code page of an older Windows cannot
// hold their paths are then platform::UnheldGameDirectories().
std::vector<std::string> GameDirectoryCandidates();

// The game directory to use: the first candidate that holds the package;
// when none does, the first candidate, which the player is then told holds
// no package; an empty string when there is no candidate at all.
std::string FindGameDirectory();

}  // namespace layout
