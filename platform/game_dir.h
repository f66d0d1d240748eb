// Where the Half-Life directory may be, as the system tells it: the registry
// (on Linux, the Wine prefix's system.reg), the Steam folders, the program's
// own folder and the working directory. Which of them is the game folder is
// the caller's to decide.
//
// The rules are shared (game_dir.cpp); game_dir_posix.cpp and
// game_dir_win32.cpp read the registry and name the Steam folders and the
// program's own.
#pragma once

#include <string>
#include <vector>

#include "platform/text_encoding.h"

namespace platform {

// The longest registry value the lookup takes: it is read into 256 bytes,
// its terminating zero included.
constexpr size_t kMaxRegistryValueLength = 255;

// The value "directory" of the key Software\Sierra OnLine\Setup\HALFLIFE of
// HKEY_LOCAL_MACHINE, from the registry's 32-bit view, where the game's
// 32-bit set-up program writes it, then from its 64-bit view: each view that
// holds one, once. On Linux the views are read from the Wine prefix's
// system.reg, where a 64-bit prefix keeps the 32-bit view under Wow6432Node;
// both hosts read the same views in the same order. A value longer than
// kMaxRegistryValueLength is left out, never cut.
std::vector<std::string> RegistryGameDirectories();

// The Half-Life folders of the Steam installations that exist: each Steam
// folder's own library first, then the libraries its
// steamapps\libraryfolders.vdf lists.
std::vector<std::string> SteamGameDirectories();

// The places the registry and Steam named, since ForgetUnheldPaths, whose
// paths the ANSI code page of an older Windows cannot hold: the lookups
// above leave them out. Empty where the code page is UTF-8, and on Linux.
std::vector<NarrowPath> UnheldGameDirectories();

// Adds a place to UnheldGameDirectories(), once; empties the list.
void NoteUnheldPath(const NarrowPath& path);
void ForgetUnheldPaths();

// The folder holding the running program; empty if it cannot be told.
std::string ProgramDirectory();

// The process's working directory; empty if it cannot be told.
std::string WorkingDirectory();

// The user's home folder; empty if it cannot be told.
std::string HomeDirectory();

}  // namespace platform
