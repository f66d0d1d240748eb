// What every host shares of the game directory's sources: what a Steam
// library list says. The per-host files read the registry and name the Steam
// folders and the program's own.
#include "platform/game_dir.h"
#include "platform/steam_roots.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/native_file.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

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
    // Read through the file layer rather than a C++ stream: the streams
    // would bring the C++ library's locale machinery into the Windows
    // program for this one small file.
    std::string text;
    const native::Handle file = native::OpenRead(vdfFile.c_str());
    if (file == native::kNoHandle) return libraries;
    char buffer[4096];
    size_t got = 0;
    while (native::Read(file, buffer, sizeof buffer, got) && got > 0) text.append(buffer, got);
    (void)native::Close(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::vector<std::string> tokens = VdfTokens(text.substr(start, end - start));
        start = end + 1;
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
    return ResolvePath(dir.c_str());
}

std::vector<NarrowPath>& Unheld() {
    static std::vector<NarrowPath> unheld;
    return unheld;
}

}  // namespace

std::vector<NarrowPath> UnheldGameDirectories() { return Unheld(); }

void NoteUnheldPath(const NarrowPath& path) {
    for (const NarrowPath& known : Unheld())
        if (known.utf8 == path.utf8) return;
    Unheld().push_back(path);
}

void ForgetUnheldPaths() { Unheld().clear(); }

std::vector<std::string> SteamGameDirectories() {
    std::vector<std::string> found;
    const std::vector<std::string> roots = SteamRoots();
    auto add = [&found](const std::string& dir) {
        if (dir.empty()) return;
        for (const std::string& known : found)
            if (known == dir) return;
        found.push_back(dir);
    };
    for (const std::string& root : roots) add(HalfLifeIn(root));
    for (const std::string& root : roots)
        for (const std::string& library : SteamLibraries(root + "\\steamapps\\libraryfolders.vdf")) {
            // Steam writes its list in UTF-8.
            const NarrowPath path = NarrowPathOfUtf8(library);
            if (path.unheld.empty()) add(HalfLifeIn(path.narrow));
            else NoteUnheldPath(path);
        }
    return found;
}

}  // namespace platform
