// Where everything lives: the one table of path templates, the package
// folder's and each mod's, composed after the game directory; the rule of
// the longest game directory those paths allow; and the date stamps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/installer_core.h"
#include "platform/file_system.h"

namespace layout {

using PathBuffer = char[kPathBufferSize];

// --- The path templates. Every path the core names is composed from one. ---
// game
constexpr const char* kPackageFolder = "%s\\Veldrin";
constexpr const char* kSourceLibrary = "%s\\veldrin\\veldrin.dll";
constexpr const char* kCatalogue = "%s\\Veldrin\\veldrinins.ini";
// a folder that may be the package folder itself
constexpr const char* kCatalogueInPackage = "%s\\veldrinins.ini";
// game, folder
constexpr const char* kModFolder = "%s\\%s";
constexpr const char* kModDlls = "%s\\%s\\dlls";
constexpr const char* kModMaps = "%s\\%s\\maps";
constexpr const char* kLibList = "%s\\%s\\liblist.gam";
constexpr const char* kStoredLines = "%s\\%s\\liblist.gam.veldrin";
constexpr const char* kInstalledRecord = "%s\\%s\\Veldrin.installed";
constexpr const char* kInstalledLibrary = "%s\\%s\\dlls\\veldrin.dll";
// game, a path from the game folder ("valve\dlls\hl.dll")
constexpr const char* kGameFile = "%s\\%s";
// folder, a path from the mod's folder
constexpr const char* kInMod = "%s\\%s";
// the mod's own library, from the mod's folder: its base name
constexpr const char* kOwnLibraryInMod = "dlls\\%s.dll";
constexpr const char* kWaypointPattern = "%s\\Veldrin\\%s\\*.vwp";
// game, folder, file
constexpr const char* kWaypointSource = "%s\\Veldrin\\%s\\%s";
constexpr const char* kWaypointTarget = "%s\\%s\\maps\\%s";
// source: game; target: game, folder
constexpr const char* kNamesSource = "%s\\Veldrin\\Veldrin_names.txt";
constexpr const char* kNamesTarget = "%s\\%s\\Veldrin_names.txt";
constexpr const char* kChatSource = "%s\\Veldrin\\Veldrin_chat.txt";
constexpr const char* kChatTarget = "%s\\%s\\Veldrin_chat.txt";
constexpr const char* kCfgSource = "%s\\Veldrin\\Veldrin.cfg";
constexpr const char* kCfgTarget = "%s\\%s\\Veldrin.cfg";
constexpr const char* kWeaponCfgSource = "%s\\Veldrin\\bot_weapon_config.cfg";
constexpr const char* kWeaponCfgTarget = "%s\\%s\\bot_weapon_config.cfg";
// an extra the player changed: the package's copy beside it
constexpr const char* kPackageCopy = "%s%s";  // the extra, kPackageCopySuffix

// The trace file, in the working directory.
constexpr const char* kTraceFile = "Veldrin.log";

// The longest game directory whose package paths fit the 255 characters of
// a composed path: the longest of the templates above that start in the
// package folder, "<game>\Veldrin\bot_weapon_config.cfg", adds 30.
size_t MaxGameDirLength();

// True when dir is not empty and no longer than MaxGameDirLength().
[[nodiscard]] bool UsableGameDirectory(const std::string& dir);

// Fills buffer from a printf-style template. Returns false, leaving the
// buffer empty, when the path does not fit: a cut path could name another file.
[[nodiscard]] bool ComposePath(PathBuffer& buffer, const char* format, ...) VELDRIN_PRINTF_FORMAT(2, 3);

// True when name is one plain name inside a folder, as a mod's folder or a
// file found in a search must be: not empty, ".", "..", and without '\',
// '/' or ':'.
[[nodiscard]] bool IsPlainName(const std::string& name);

// One step of a file enumeration: starts a search on pattern when search is
// null, else advances it. Returns the search with name set to the match's bare
// name, or null (the search closed, name empty) when there is no further match.
[[nodiscard]] platform::FindHandle* NextFile(platform::FindHandle* search, std::string& name, const char* pattern);

// A path for the player: relative to the game directory when it lies inside
// it, with the host's separators.
std::string ForPlayer(const char* path);

// A path of the mod in folder for the player: the mod's folder and path
// inside it (either separator), with the host's separators.
std::string ForPlayerInMod(const std::string& folder, const std::string& path);

// yyyymmdd of a calendar date.
int32_t DateStamp(const platform::FileDate& date);

}  // namespace layout
