#include "core/game_folder.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"
#include "platform/game_dir.h"
#include "platform/wildcard.h"

namespace layout {

namespace {

#if defined(_WIN32)
// A folder the system names may use either separator.
const char kFolderSeparators[] = "\\/";
#else
// A folder the system names uses '/' only; a backslash is part of a name.
const char kFolderSeparators[] = "/";
#endif

}  // namespace

bool HoldsPackage(const std::string& dir) {
    PathBuffer catalogue;
    if (!UsableGameDirectory(dir) || !ComposePath(catalogue, kCatalogue, dir.c_str())) return false;
    return platform::PathExists(catalogue) && !platform::IsDirectory(catalogue);
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
    if (!platform::EqualIgnoringCase(dir.substr(slash + 1), "Veldrin")) return std::string();
    PathBuffer inPackage, fromParent;
    if (!ComposePath(inPackage, kCatalogueInPackage, dir.c_str()) || !platform::PathExists(inPackage))
        return std::string();
    if (!ComposePath(fromParent, kCatalogue, parent.c_str()) || !platform::PathExists(fromParent)) return std::string();
    return UsableGameDirectory(parent) ? parent : std::string();
}

std::vector<std::string> GameDirectoryCandidates() {
    std::vector<std::string> candidates;
    auto add = [&candidates](const std::string& dir) {
        if (dir.empty() || std::find(candidates.begin(), candidates.end(), dir) != candidates.end()) return;
        candidates.push_back(dir);
    };
    // Each lookup tells of the places it could not reach.
    platform::ForgetUnheldPaths();
    for (const std::string& dir : platform::RegistryGameDirectories()) add(dir);
    const std::string working = platform::WorkingDirectory();
    for (const std::string& folder : {platform::ProgramDirectory(), working})
        if (!folder.empty()) add(GameDirectoryAbovePackage(folder));
    // Started from inside the game folder itself, as a server's scripts are.
    if (HoldsPackage(working)) add(working);
    for (const std::string& dir : platform::SteamGameDirectories()) add(dir);
    return candidates;
}

std::string FindGameDirectory() {
    const std::vector<std::string> candidates = GameDirectoryCandidates();
    for (const std::string& dir : candidates)
        if (HoldsPackage(dir)) return dir;
    return candidates.empty() ? std::string() : candidates.front();
}

}  // namespace layout
