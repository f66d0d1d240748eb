#include "core/mod_library.h"

#include <vector>

#include "core/install_layout.h"
#include "core/liblist.h"
#include "core/installer_core.h"
#include "platform/wildcard.h"

namespace layout {

namespace {

// How many judged paths are kept; the kept ones are forgotten together when
// there are more, so memory stays small whatever a file names.
constexpr size_t kKeptVerdicts = 64;

// path with "." and empty names dropped and ".." taken back, names joined by
// backslashes. Returns false for a path that leaves the folder it starts in:
// one that starts at a root or a drive, or climbs above its start.
bool Normalise(const std::string& path, std::string& normal) {
    if (path.empty() || path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos) return false;
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name == "..") {
            if (names.empty()) return false;
            names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    normal.clear();
    for (const std::string& name : names) normal += (normal.empty() ? "" : "\\") + name;
    return !normal.empty();
}

bool EndsWithDll(const std::string& path) {
    return path.size() > 4 && platform::CompareIgnoringCase(path.c_str() + path.size() - 4, ".dll") == 0;
}

}  // namespace

ModLibraries::ModLibraries(const std::string& folder) : folder_(folder) {
    PathBuffer bot;
    botKnown_ = ComposePath(bot, kInstalledLibrary, g_szGameDir, folder.c_str()) && platform::ReadableFile(bot, &bot_);
}

LibraryVerdict ModLibraries::Judge(const std::string& path, std::string* shown) {
    // Kept by the path as the line spells it: a file of many lines repeats
    // the same few spellings.
    auto found = kept_.find(path);
    if (found == kept_.end()) {
        if (kept_.size() >= kKeptVerdicts) kept_.clear();
        found = kept_.emplace(path, JudgeNow(path)).first;
    }
    if (shown) *shown = found->second.shown;
    return found->second.verdict;
}

ModLibraries::Judged ModLibraries::JudgeNow(const std::string& path) {
    std::string normal;
    if (!Normalise(path, normal)) return Judged{LibraryVerdict::Missing, ForPlayer((folder_ + "\\" + path).c_str())};
    Judged judged{LibraryVerdict::Missing, ForPlayer((folder_ + "\\" + normal).c_str())};
    if (platform::CompareIgnoringCase(normal.c_str(), "dlls\\veldrin.dll") == 0) {
        judged.verdict = LibraryVerdict::Bot;
        return judged;
    }
    PathBuffer file, mod;
    if (!EndsWithDll(normal) || !ComposePath(file, "%s\\%s\\%s", g_szGameDir, folder_.c_str(), normal.c_str()) ||
        !ComposePath(mod, "%s\\%s", g_szGameDir, folder_.c_str()))
        return judged;
    platform::FileInfo info;
    if (!platform::ReadableFile(file, &info, mod)) return judged;
    // Another name of the bot's own file (a hard link, a link, a folder
    // spelled otherwise) is the bot all the same.
    const bool isBot = botKnown_ && info.volume == bot_.volume && info.index == bot_.index;
    judged.verdict = isBot ? LibraryVerdict::Bot : LibraryVerdict::Present;
    return judged;
}

}  // namespace layout
