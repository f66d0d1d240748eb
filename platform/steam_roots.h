// What each host's game-directory lookup tells the shared one of Steam
// (game_dir_posix.cpp, game_dir_win32.cpp): where its folders are.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The Steam folders of this machine's user, in the order they are looked at
// (on Linux ~/.local/share/Steam, ~/.steam/steam, ~/.steam/root and
// Flatpak's ~/.var/app/com.valvesoftware.Steam/.local/share/Steam; on
// Windows Steam's SteamPath); those that do not exist included.
std::vector<std::string> SteamRoots();

}  // namespace platform
