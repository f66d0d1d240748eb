// Where everything lives: the path templates of the package folder and of each
// mod's folder, composed after the game directory, and the date stamps.
#pragma once

#include <cstdint>
#include <string>

#include "core/installer_core.h"
#include "platform/file_system.h"

namespace layout {

// Every path is composed into a buffer of this size, terminator included.
constexpr int kPathBufferSize = 256;
using PathBuffer = char[kPathBufferSize];

// game
constexpr const char* kPackageFolder = "%s\\Veldrin";
constexpr const char* kSourceLibrary = "%s\\veldrin\\veldrin.dll";
constexpr const char* kCatalogue = "%s\\Veldrin\\veldrinins.ini";
// game, folder
constexpr const char* kLibList = "%s\\%s\\liblist.gam";
constexpr const char* kStoredLines = "%s\\%s\\liblist.gam.veldrin";
constexpr const char* kInstalledRecord = "%s\\%s\\Veldrin.installed";
constexpr const char* kInstalledLibrary = "%s\\%s\\dlls\\veldrin.dll";
// game, folder, the mod's own library base name
constexpr const char* kOwnLibrary = "%s\\%s\\dlls\\%s.dll";
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

// The trace file, in the working directory.
constexpr const char* kTraceFile = "Veldrin.log";

// Fills buffer from a printf-style template. Returns false, leaving the
// buffer empty, when the path does not fit: a cut path could name another file.
bool ComposePath(PathBuffer& buffer, const char* format, ...) VELDRIN_PRINTF_FORMAT(2, 3);

// True when name is one plain name inside a folder, as a mod's folder or a
// file found in a search must be: not empty, ".", "..", and without '\',
// '/' or ':'.
bool IsPlainName(const std::string& name);

// One step of a file enumeration: starts a search on pattern when search is
// null, else advances it. Returns the search with name set to the match's bare
// name, or null (the search closed, name empty) when there is no further match.
platform::FindHandle* NextFile(platform::FindHandle* search, std::string& name, const char* pattern);

// A path for the player: relative to the game directory when it lies inside
// it, with the host's separators.
std::string ForPlayer(const char* path);

// yyyymmdd of a calendar date.
int32_t DateStamp(const platform::FileDate& date);

}  // namespace layout
