// The install layout: where everything lives, the paths composed after the
// game directory, and the date stamps.
#include "core/paths.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/installer_core.h"

char g_szGameDir[kPathBufferSize];

namespace layout {

size_t MaxGameDirLength() {
    // Every path of the package folder is composed after the game directory;
    // the folder must leave room for the longest, or its list would be empty
    // and some extras never copied.
    static const size_t length = [] {
        size_t longest = 0;
        for (const char* format : {kSourceLibrary, kCatalogue, kNamesSource, kChatSource, kCfgSource, kWeaponCfgSource})
            longest = std::max(longest, std::strlen(format) - 2);  // less the "%s"
        return static_cast<size_t>(kPathBufferSize - 1) - longest;
    }();
    return length;
}

bool UsableGameDirectory(const std::string& dir) { return !dir.empty() && dir.size() <= MaxGameDirLength(); }

bool ComposePath(PathBuffer& buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, kPathBufferSize, format, args);
    va_end(args);
    if (n < 0 || n >= kPathBufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

namespace {

// The host's separators throughout.
void HostSeparators(std::string& text) {
    for (char& c : text)
        if (c == '\\' || c == '/') c = platform::kHostSeparator;
}

}  // namespace

std::string ForPlayer(const char* path) {
    std::string text = path ? path : "";
    std::string game = g_szGameDir;
    const bool inside = !game.empty() && text.compare(0, game.size(), game) == 0 && text.size() > game.size() &&
                        (text[game.size()] == '\\' || text[game.size()] == '/');
    // As the disk spells it: the core composes its names ("veldrin",
    // "dlls") as the catalogue and the templates spell them, and the file
    // layer matches them ignoring case.
    if (inside) {
        text = platform::SpelledOnDisk(text.c_str());
        game = platform::SpelledOnDisk(game.c_str());
    }
    HostSeparators(text);
    HostSeparators(game);
    if (inside && text.compare(0, game.size(), game) == 0 && text.size() > game.size()) text.erase(0, game.size() + 1);
    return text;
}

std::string ForPlayerInMod(const std::string& folder, const std::string& path) {
    if (g_szGameDir[0]) return ForPlayer((std::string(g_szGameDir) + "\\" + folder + "\\" + path).c_str());
    std::string text = folder + "\\" + path;
    HostSeparators(text);
    return text;
}

int32_t DateStamp(const platform::FileDate& date) { return (date.year * 100 + date.month) * 100 + date.day; }

}  // namespace layout

platform::FindHandle* layout::NextFile(platform::FindHandle* search, std::string& name, const char* pattern) {
    name.clear();
    platform::FindData data;
    if (!search) {
        // Enumerations want names only.
        search = platform::FindFirst(pattern, data, false);
        if (!search) return nullptr;
    } else if (!platform::FindNext(search, data)) {
        platform::FindEnd(search);
        return nullptr;
    }
    name = data.name;
    return search;
}
