// Finding the Half-Life directory, the folder the installer works in.
//
// The rules are shared (game_dir.cpp); game_dir_posix.cpp and
// game_dir_win32.cpp read the registry (on Linux, the Wine prefix's
// system.reg) and name the Steam folders and the program's own.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The longest game directory the installer can use: its paths are composed
// in 256-byte buffers.
constexpr size_t kMaxGameDirLength = 255;

// The game directory, from the first of these that gives one:
//  1. the value "directory" of the key Software\Sierra OnLine\Setup\HALFLIFE
//     of HKEY_LOCAL_MACHINE (on Linux, in the Wine prefix's system.reg);
//  2. the folder above the package folder, when the program runs from inside
//     one: its own folder, else the working directory;
//  3. the Half-Life folder of a Steam installation.
// A candidate longer than kMaxGameDirLength counts as missing, never cut.
// Returns an empty string when none is found.
std::string FindGameDirectory();

// True when dir is not empty and no longer than kMaxGameDirLength.
bool UsableGameDirectory(const std::string& dir);

// True when dir can serve as the game directory: usable, and holding the
// package catalogue "Veldrin\veldrinins.ini" (names matched ignoring case).
bool HoldsPackage(const std::string& dir);

// Step 1 alone: the registry value as stored, or an empty string when the key
// or value is missing or too long.
std::string RegistryGameDirectory();

// Step 2 for one folder: its parent when the folder is a package folder (the
// parent's "Veldrin\veldrinins.ini" reaches the catalogue inside it, names
// matched ignoring case); otherwise an empty string.
std::string GameDirectoryAbovePackage(const std::string& folder);

// Step 3 alone: the first Steam Half-Life folder found, or an empty string:
// each Steam folder's own library first, then the libraries its
// steamapps\libraryfolders.vdf lists.
std::string SteamGameDirectory();

// The Steam folders of this machine's user, in the order they are looked at
// (on Linux ~/.local/share/Steam and ~/.steam/steam; on Windows Steam's
// SteamPath); those that do not exist included.
std::vector<std::string> SteamRoots();

// The folder holding the running program; empty if it cannot be told.
std::string ProgramDirectory();

// The process's working directory; empty if it cannot be told.
std::string WorkingDirectory();

}  // namespace platform
