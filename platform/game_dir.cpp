// The game-directory rules every host shares: where to look, in which order,
// what a Steam library list says, what makes a package folder, and how long
// a game directory may be. The per-host files read the registry and name
// the Steam folders and the program's own.
#include "platform/game_dir.h"

#include <fstream>
#include <vector>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

#if defined(_WIN32)
// A folder the system names may use either separator.
const char kFolderSeparators[] = "\\/";
#else
// A folder the system names uses '/' only; a backslash is part of a name.
const char kFolderSeparators[] = "/";
#endif

bool EqualIgnoringCase(const std::string& a, const char* b) { return CompareIgnoringCase(a.c_str(), b) == 0; }

// The text of each quoted token of a line of a Steam .vdf file, unescaped.
std::vector<std::string> VdfTokens(const std::string& line) {
    std::vector<std::string> tokens;
    size_t pos = 0;
    while ((pos = line.find('"', pos)) != std::string::npos) {
        std::string token;
        ++pos;
        while (pos < line.size() && line[pos] != '"') {
            if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
            token += line[pos++];
        }
        ++pos;
        tokens.push_back(token);
    }
    return tokens;
}

// The library folders a steamapps/libraryfolders.vdf lists: "path" entries,
// or in the older layout entries keyed by a number.
std::vector<std::string> SteamLibraries(const std::string& vdfFile) {
    std::vector<std::string> libraries;
    std::ifstream in(vdfFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> tokens = VdfTokens(line);
        if (tokens.size() != 2 || tokens[0].empty()) continue;
        // A path is handed to the file calls as a C string: one holding a NUL
        // would name a different, shorter folder than the file says.
        if (tokens[1].find('\0') != std::string::npos) continue;
        bool numbered = tokens[0].find_first_not_of("0123456789") == std::string::npos;
        if (EqualIgnoringCase(tokens[0], "path") || numbered) libraries.push_back(tokens[1]);
    }
    return libraries;
}

std::string HalfLifeIn(const std::string& library) {
    std::string dir = library + "\\steamapps\\common\\Half-Life";
    if (!IsDirectory(dir.c_str())) return std::string();
    dir = ResolvePath(dir.c_str());
    return UsableGameDirectory(dir) ? dir : std::string();
}

}  // namespace

bool UsableGameDirectory(const std::string& dir) { return !dir.empty() && dir.size() <= kMaxGameDirLength; }

bool HoldsPackage(const std::string& dir) {
    if (!UsableGameDirectory(dir)) return false;
    const std::string catalogue = dir + "\\Veldrin\\veldrinins.ini";
    return PathExists(catalogue.c_str()) && !IsDirectory(catalogue.c_str());
}

std::string GameDirectoryAbovePackage(const std::string& folder) {
    std::string dir = folder;
    // A trailing separator names the same folder; a root ("/", "C:\") stays.
    auto isRoot = [](const std::string& d) { return d.size() == 1 || (d.size() == 3 && d[1] == ':'); };
    while (dir.size() > 1 && !isRoot(dir) && dir.find_last_of(kFolderSeparators) == dir.size() - 1) dir.pop_back();
    size_t slash = dir.find_last_of(kFolderSeparators);
    if (slash == std::string::npos) return std::string();
    std::string parent = slash == 0 ? dir.substr(0, 1) : dir.substr(0, slash);
    // The package folder is the one the core's paths name: "Veldrin" inside
    // the game directory, holding the catalogue.
    if (!EqualIgnoringCase(dir.substr(slash + 1), "Veldrin")) return std::string();
    if (!PathExists((dir + "\\veldrinins.ini").c_str())) return std::string();
    if (!PathExists((parent + "\\Veldrin\\veldrinins.ini").c_str())) return std::string();
    return UsableGameDirectory(parent) ? parent : std::string();
}

std::string SteamGameDirectory() {
    const std::vector<std::string> roots = SteamRoots();
    for (const std::string& root : roots) {
        std::string dir = HalfLifeIn(root);
        if (!dir.empty()) return dir;
    }
    for (const std::string& root : roots) {
        for (const std::string& library :
             SteamLibraries(ResolvePath((root + "\\steamapps\\libraryfolders.vdf").c_str()))) {
            std::string dir = HalfLifeIn(library);
            if (!dir.empty()) return dir;
        }
    }
    return std::string();
}

std::string FindGameDirectory() {
    std::string dir = RegistryGameDirectory();
    if (!dir.empty()) return dir;
    for (const std::string& folder : {ProgramDirectory(), WorkingDirectory()}) {
        if (folder.empty()) continue;
        dir = GameDirectoryAbovePackage(folder);
        if (!dir.empty()) return dir;
    }
    return SteamGameDirectory();
}

}  // namespace platform
