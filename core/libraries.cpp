#include "core/libraries.h"

#include <vector>

#include "core/installer_core.h"
#include "core/liblist.h"
#include "core/paths.h"
#include "core/translations.h"
#include "platform/wildcard.h"

namespace libraries {

namespace {

// How many judged paths are kept; the kept ones are forgotten together when
// there are more, so memory stays small whatever a file names.
constexpr size_t kKeptVerdicts = 64;

// The mod's folder and path joined, "." and empty names dropped and ".."
// taken back, names joined by backslashes: the path from the game folder.
// Returns false for a path that leaves the game folder: one that starts at
// a root or a drive, or climbs above the game folder. The engine opens the
// gamedll path from the mod's folder and lets it reach another mod's folder
// (a mod on Half-Life's own library names "..\valve\dlls\hl.dll"), never
// further.
bool FromGameFolder(const std::string& folder, const std::string& path, std::string& normal) {
    if (path.empty() || path[0] == '\\' || path[0] == '/' || path.find(':') != std::string::npos) return false;
    std::vector<std::string> names{folder};
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
    return !names.empty();
}

bool EndsWithDll(const std::string& path) {
    return path.size() > 4 && platform::CompareIgnoringCase(path.c_str() + path.size() - 4, ".dll") == 0;
}

}  // namespace

const char* VerdictWords(Verdict verdict) {
    switch (verdict) {
        case Verdict::Present: return "";
        case Verdict::Bot: return TrMark("it is the bot's own library");
        case Verdict::Missing: return TrMark("there is no such file");
        case Verdict::NotRegular: return TrMark("it is not a regular file");
        case Verdict::NotLibrary: return TrMark("it is not a .dll library");
        case Verdict::Unreadable: return TrMark("it cannot be read");
        case Verdict::Outside: return TrMark("it lies outside the game folder");
    }
    return "";
}

bool LinuxLibraryPresent(const std::string& folder, const char* libList) {
    auto file = platform::TextFile::Open(libList, "r");
    if (!file) return false;
    platform::RawRow raw;
    char row[liblist::kRowSize];
    std::string path, normal;
    while (file->Rows().NextStartingWith(liblist::kRowSize, 'g', raw)) {
        raw.Text(row);
        if (!liblist::LinuxPathOfRow(row, path)) continue;
        // The server loads the first such line's library, as the game loads
        // the gamedll line's.
        layout::PathBuffer library;
        platform::FileInfo info;
        return FromGameFolder(folder, path, normal) &&
               layout::ComposePath(library, layout::kGameFile, g_szGameDir, normal.c_str()) &&
               platform::ReadableFile(library, &info);
    }
    return false;
}

ModLibraries::ModLibraries(const std::string& folder) : folder_(folder) {
    layout::PathBuffer bot;
    botKnown_ = layout::ComposePath(bot, layout::kInstalledLibrary, g_szGameDir, folder.c_str()) &&
                platform::ReadableFile(bot, &bot_);
}

const ModLibraries::Judged& ModLibraries::Find(const std::string& path) {
    // Kept by the path as the line spells it: a file of many lines repeats
    // the same few spellings.
    auto found = kept_.find(path);
    if (found == kept_.end()) {
        if (kept_.size() >= kKeptVerdicts) kept_.clear();
        found = kept_.emplace(path, JudgeNow(path)).first;
    }
    return found->second;
}

Verdict ModLibraries::Judge(const std::string& path, std::string* shown, std::string* why, std::string* told) {
    const Judged& judged = Find(path);
    if (shown) *shown = judged.shown;
    if (why) *why = judged.why;
    if (told) *told = judged.told;
    return judged.verdict;
}

ModLibraries::Judged ModLibraries::JudgeNow(const std::string& path) {
    Judged judged{Verdict::Outside, layout::ForPlayerInMod(folder_, path), "", ""};
    std::string normal;
    layout::PathBuffer file;
    if (!FromGameFolder(folder_, path, normal) ||
        !layout::ComposePath(file, layout::kGameFile, g_szGameDir, normal.c_str())) {
        judged.why = VerdictWords(judged.verdict);
        judged.told = Tr(judged.why.c_str());
        return judged;
    }
    judged.shown = layout::ForPlayer(file);
    // The trace keeps the English words, the player reads them translated.
    auto verdict = [&judged](Verdict v, const std::string& why = std::string(),
                             const std::string& told = std::string()) {
        judged.verdict = v;
        judged.why = why.empty() ? VerdictWords(v) : why;
        judged.told = told.empty() ? Tr(VerdictWords(v)) : told;
        return judged;
    };
    // The bot's library by its name, in whichever folder: a line that names
    // it would keep the bot in the mod.
    const size_t name = normal.find_last_of('\\') + 1;
    if (platform::CompareIgnoringCase(normal.c_str() + name, liblist::kBotLibrary) == 0) return verdict(Verdict::Bot);
    if (!EndsWithDll(normal)) return verdict(Verdict::NotLibrary);
    // What the game would open: the name as it reaches a file, every link
    // followed, wherever the links lead (servers share their binaries so).
    platform::FileInfo info;
    if (!platform::ReadableFile(file, &info)) {
        const platform::Failure failure = platform::LastFailure();
        if (!platform::PathExists(file)) return verdict(Verdict::Missing);
        if (platform::IsDirectory(file) || failure.error == platform::FileError::NotFound)
            return verdict(Verdict::NotRegular);
        const char* words = VerdictWords(Verdict::Unreadable);
        return verdict(Verdict::Unreadable, std::string(words) + ": " + failure.reason,
                       std::string(Tr(words)) + ": " + PlayerReason(failure));
    }
    // Another name of the bot's own file (a hard link, a link, a folder
    // spelled otherwise) is the bot all the same.
    const bool isBot = botKnown_ && info.volume == bot_.volume && info.index == bot_.index;
    return verdict(isBot ? Verdict::Bot : Verdict::Present);
}

}  // namespace libraries
