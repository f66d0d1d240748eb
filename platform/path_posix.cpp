// Path resolution on a POSIX host: Windows paths reach the files a Windows
// program under Wine would reach. Names are matched ignoring ASCII case, both
// separators count, and a drive letter goes through the Wine prefix's
// dosdevices. Folder listings may be kept for a ListingScope, per thread.
#include "platform/path.h"
#include "platform/path_posix.h"
#include "platform/wildcard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform {

std::string WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Stat(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

// A folder's names by their spelling with ASCII letters in lower case.
struct Listing {
    bool readable = false;
    std::unordered_map<std::string, std::vector<std::string>> byFolded;
};

// The listings kept while a ListingScope lives, by folder (a host path
// without a leading "./"), and the scope they belong to.
struct KeptListings {
    unsigned generation = 0;
    std::unordered_map<std::string, Listing> folders;
};

KeptListings& Kept() {
    thread_local KeptListings kept;
    return kept;
}

std::string FolderKey(const std::string& dir) { return dir.compare(0, 2, "./") == 0 ? dir.substr(2) : dir; }

// The kept listings of the scope alive, emptied when it is a new one; null
// when no scope is alive.
KeptListings* KeptForScope() {
    KeptListings& kept = Kept();
    unsigned generation = ListingGeneration();
    if (kept.generation != generation) {
        kept.folders.clear();
        kept.generation = generation;
    }
    return generation ? &kept : nullptr;
}

// The kept listing of dir, read now if it is not kept yet; null when no
// scope is alive.
Listing* KeptListing(const std::string& dir) {
    KeptListings* kept = KeptForScope();
    if (!kept) return nullptr;
    auto [it, added] = kept->folders.try_emplace(FolderKey(dir));
    if (added) {
        if (DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str())) {
            it->second.readable = true;
            while (dirent* e = ::readdir(d)) it->second.byFolded[Folded(e->d_name)].emplace_back(e->d_name);
            ::closedir(d);
        }
    }
    return &it->second;
}

}  // namespace

void posix::NoteChange(const std::string& host, bool exists) {
    KeptListings* kept = KeptForScope();
    if (!kept || host.empty()) return;
    size_t slash = host.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : host.substr(0, slash);
    auto folder = kept->folders.find(FolderKey(dir));
    if (folder == kept->folders.end()) return;
    std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    std::vector<std::string>& names = folder->second.byFolded[Folded(name)];
    auto at = std::find(names.begin(), names.end(), name);
    if (exists && at == names.end()) names.push_back(name);
    if (!exists && at != names.end()) names.erase(at);
}

namespace {

// The name in folder dir that matches name ignoring case: the exact name
// when present, otherwise the first such name in byte order; empty if none.
// exactMissing tells that the exact name is already known not to exist;
// listed, when given, is set to whether dir could be read.
std::string MatchComponent(const std::string& dir, const std::string& name, bool exactMissing = false,
                           bool* listed = nullptr) {
    struct stat st;
    std::string exact = dir + "/" + name;
    if (const Listing* kept = KeptListing(dir)) {
        if (listed) *listed = kept->readable;
        auto match = kept->byFolded.find(Folded(name));
        if (match == kept->byFolded.end() || match->second.empty()) return std::string();
        const std::vector<std::string>& names = match->second;
        if (std::find(names.begin(), names.end(), name) != names.end()) return name;
        return *std::min_element(names.begin(), names.end());
    }
    if (!exactMissing && ::lstat(exact.c_str(), &st) == 0) return name;
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (listed) *listed = d != nullptr;
    if (!d) return std::string();
    std::string best;
    while (dirent* e = ::readdir(d)) {
        if (CompareIgnoringCase(e->d_name, name.c_str()) != 0) continue;
        if (best.empty() || std::strcmp(e->d_name, best.c_str()) < 0) best = e->d_name;
    }
    ::closedir(d);
    return best;
}

}  // namespace

FileDate posix::DateOf(const struct stat& st) {
    std::tm tm{};
    time_t t = st.st_mtime;
    FileDate date;
    if (::gmtime_r(&t, &tm)) {
        date.year = tm.tm_year + 1900;
        date.month = tm.tm_mon + 1;
        date.day = tm.tm_mday;
    }
    return date;
}

namespace {

// A Windows path taken apart: where it starts on the host (the root, the
// working directory or a Wine drive) and its components.
struct SplitPath {
    std::string base;  // "" for the root, "." for the working directory
    std::vector<std::string> parts;

    // The host path of the first n components as spelled.
    std::string Prefix(size_t n) const {
        std::string out = base;
        for (size_t i = 0; i < n; ++i) out += "/" + parts[i];
        return out;
    }
};

// True when p starts with a drive letter and its colon ("C:"); folder then
// receives the host folder of that drive in the Wine prefix.
bool DriveFolder(const std::string& p, std::string& folder) {
    if (p.size() < 2 || !std::isalpha(static_cast<unsigned char>(p[0])) || p[1] != ':') return false;
    folder = WinePrefix() + "/dosdevices/" + static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))) + ":";
    return true;
}

SplitPath Split(const std::string& p) {
    SplitPath split;
    size_t i = 0;
    if (DriveFolder(p, split.base)) {
        i = 2;
    } else if (!p.empty() && IsSeparator(p[0])) {
        split.base = "";  // the root: components are appended as "/name"
    } else {
        split.base = ".";
    }
    while (i < p.size()) {
        while (i < p.size() && IsSeparator(p[i])) ++i;
        size_t start = i;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        if (i > start) split.parts.emplace_back(p, start, i - start);
    }
    return split;
}

// The host spelling of a composed host path: without the "./" of a relative
// one, "/" for the bare root.
std::string HostForm(const SplitPath& split, std::string path) {
    if (split.base == "." && !split.parts.empty()) return path.substr(2);
    return path.empty() ? "/" : path;
}

// The host path as spelled, without looking at the disk: the components of
// Split(p) after its base, in one pass. Nearly every path is spelled as on
// disk, so this is the one most calls need.
std::string SpelledPath(const std::string& p) {
    std::string out;
    size_t i = 0;
    bool relative = false;
    if (DriveFolder(p, out)) {
        i = 2;
    } else {
        relative = p.empty() || !IsSeparator(p[0]);
    }
    out.reserve(out.size() + p.size() + 1);
    bool any = false;
    while (i < p.size()) {
        while (i < p.size() && IsSeparator(p[i])) ++i;
        if (i == p.size()) break;
        // A relative path is spelled without a leading "./".
        if (any || !relative) out += '/';
        any = true;
        size_t start = i;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        out.append(p, start, i - start);
    }
    if (!any) return relative ? "." : (out.empty() ? "/" : out);
    return out;
}

// Matches the components of split that are not spelled as on disk. Called
// once the path as spelled is known not to exist. found, when given, is set
// to whether the whole path matched something that exists.
std::string MatchFromDisk(const SplitPath& split, bool* found = nullptr) {
    if (found) *found = false;
    // Exact spellings win at every level, so the longest prefix that exists
    // as spelled is where the forward walk would stand anyway; it is found
    // from the end, since mostly only the file name differs in case. The
    // component after it is known not to exist as spelled.
    size_t known = split.parts.size();
    const std::string& last = split.parts.back();
    if (known >= 2 && last != "." && last != "..") {
        // Listing the parent tells at once whether it exists as spelled.
        std::string parent = split.Prefix(known - 1);
        bool listed = false;
        std::string match = MatchComponent(parent, last, true, &listed);
        if (listed) {
            if (found) *found = !match.empty();
            return HostForm(split, parent + "/" + (match.empty() ? last : match));
        }
    }
    struct stat st;
    while (known > 0) {
        --known;
        if (known == 0 || ::lstat(split.Prefix(known).c_str(), &st) == 0) break;
    }
    std::string current = split.Prefix(known);
    bool exists = true;
    for (size_t i = known; i < split.parts.size(); ++i) {
        const std::string& part = split.parts[i];
        if (exists && part != "." && part != "..") {
            std::string match = MatchComponent(current, part, i == known);
            if (!match.empty()) {
                current += "/" + match;
                continue;
            }
            exists = false;
        }
        current += "/" + part;
    }
    if (found) *found = exists && split.parts.back() != "." && split.parts.back() != "..";
    return HostForm(split, current);
}

}  // namespace

int posix::OpenSpelledFirst(const char* path, int flags) {
    if (!path || !*path) return -1;
    // Almost every path is spelled as on disk: opening it settles that at
    // once, and only a missing name is looked for in other casings.
    int fd = ::open(SpelledPath(path).c_str(), flags);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        SplitPath split = Split(path);
        if (!split.parts.empty()) fd = ::open(MatchFromDisk(split).c_str(), flags);
    }
    return fd;
}

std::string posix::Resolve(const char* path, bool* found) {
    if (found) *found = false;
    std::string p = path ? path : "";
    // An empty path names no file on Windows; as "." it would name the
    // working directory.
    if (p.empty()) return p;
    std::string direct = SpelledPath(p);
    // With folder listings kept, the parent's listing answers without a
    // look at the disk; otherwise, since almost every path is spelled as on
    // disk, one stat settles it.
    if (ListingGeneration() == 0) {
        struct stat st;
        if (::lstat(direct.c_str(), &st) == 0) {
            if (found) *found = true;
            return direct;
        }
    } else {
        // The common case of a kept listing, without taking the whole path
        // apart: the folder as spelled is there (it could be listed), so
        // only the name is matched.
        const size_t slash = direct.find_last_of('/');
        const std::string name = slash == std::string::npos ? direct : direct.substr(slash + 1);
        if (slash != std::string::npos && slash > 0 && name != "." && name != "..") {
            const std::string folder = direct.substr(0, slash);
            bool listed = false;
            const std::string match = MatchComponent(folder, name, true, &listed);
            if (listed) {
                if (found) *found = !match.empty();
                return match.empty() || match == name ? direct : folder + "/" + match;
            }
        }
    }
    SplitPath split = Split(p);
    if (split.parts.empty()) return direct;
    return MatchFromDisk(split, found);
}

std::string ResolvePath(const char* path) { return posix::Resolve(path, nullptr); }

std::string ResolvePath(const char* path, bool& exists) { return posix::Resolve(path, &exists); }

std::string SpelledOnDisk(const char* path) { return ResolvePath(path); }

bool PathExists(const char* path) {
    struct stat st;
    return Stat(ResolvePath(path), st);
}

bool IsDirectory(const char* path) {
    struct stat st;
    return Stat(ResolvePath(path), st) && S_ISDIR(st.st_mode);
}

struct FindHandle {
    std::string dir;
    std::vector<std::string> names;
    size_t next = 0;
    bool dates = true;
};

namespace {
bool Fill(FindHandle* search, FindData& data) {
    while (search->next < search->names.size()) {
        const std::string& name = search->names[search->next++];
        struct stat st;
        if (!search->dates) {
            data.name = name;
            data.lastWrite = FileDate();
            return true;
        }
        if (!Stat(search->dir + "/" + name, st)) continue;
        data.name = name;
        data.lastWrite = posix::DateOf(st);
        return true;
    }
    return false;
}
}  // namespace

FindHandle* FindFirst(const char* pattern, FindData& data, bool dates) {
    std::string p = pattern ? pattern : "";
    size_t cut = p.find_last_of("\\/");
    std::string dirPart = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
    std::string namePattern = cut == std::string::npos ? p : p.substr(cut + 1);
    if (namePattern.empty()) return nullptr;

    auto search = std::make_unique<FindHandle>();
    search->dates = dates;
    if (namePattern.find_first_of("*?") == std::string::npos) {
        // A plain name: resolving it finds the one match, if any, without
        // listing the whole folder; spelled as on disk, one stat does.
        std::string host = SpelledPath(p);
        struct stat st;
        if (::stat(host.c_str(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return nullptr;
            SplitPath split = Split(p);
            if (split.parts.empty()) return nullptr;
            host = MatchFromDisk(split);
            if (::stat(host.c_str(), &st) != 0) return nullptr;
        }
        size_t slash = host.find_last_of('/');
        search->dir = slash == std::string::npos ? "." : host.substr(0, slash);
        search->names.push_back(slash == std::string::npos ? host : host.substr(slash + 1));
        search->next = 1;
        data.name = search->names.back();
        data.lastWrite = posix::DateOf(st);
        return search.release();
    } else {
        search->dir = dirPart.empty() ? "." : ResolvePath(dirPart.c_str());
        DIR* d = ::opendir(search->dir.c_str());
        if (!d) return nullptr;
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            if (WildcardMatch(namePattern.c_str(), e->d_name)) search->names.emplace_back(e->d_name);
        }
        ::closedir(d);
        SortInSearchOrder(search->names);
    }
    if (!Fill(search.get(), data)) return nullptr;
    return search.release();
}

bool FindNext(FindHandle* search, FindData& data) { return search && Fill(search, data); }

void FindEnd(FindHandle* search) { delete search; }

}  // namespace platform
