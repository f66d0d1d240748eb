// Windows paths on every host: backslash or slash separators, names matched
// ignoring case, a leading drive letter. On Windows these are the system's
// own paths; elsewhere each path is resolved to the file it reaches
// (path_posix.cpp), as a Windows program under Wine would reach it.
#pragma once

#include <memory>
#include <string>

namespace platform {

// A calendar date of a file's last write, in UTC.
struct FileDate {
    int year = 0, month = 0, day = 0;
};

// The host path a Windows path reaches: each existing component matched
// ignoring ASCII case (an exact match wins, else the first in byte order), a
// missing component kept as spelled, a drive letter reached through the Wine
// prefix's dosdevices. An empty path stays empty and names nothing. On
// Windows the path itself.
std::string ResolvePath(const char* path);

// The separator of the host's own paths.
#if defined(_WIN32)
constexpr char kHostSeparator = '\\';
#else
constexpr char kHostSeparator = '/';
#endif

// A path for the player to read: the host's path, each existing component
// named as the disk spells it ("Veldrin" for "veldrin", "DLLs" for "dlls"),
// a missing one and all after it as given. On Windows its separators are
// made backslashes; the path is not otherwise changed.
std::string SpelledOnDisk(const char* path);

// ResolvePath, setting exists to false when the path is known to reach
// nothing (from the kept listings or the look the resolution made anyway),
// true otherwise.
std::string ResolvePath(const char* path, bool& exists);

// True when a file or folder exists at path.
[[nodiscard]] bool PathExists(const char* path);

// True when path names a folder.
[[nodiscard]] bool IsDirectory(const char* path);

// One match of a wildcard search: the bare file name and its last write.
struct FindData {
    std::string name;
    FileDate lastWrite;
};

// Starts a wildcard search ('*' and '?', names compared ignoring case) in the
// folder of pattern. Fills data with the first match and returns a search to
// continue with FindNext, or null when nothing matches. Matches come in byte
// order ignoring case. Without dates, a caller that needs only the names
// spares a look at each file where the host's listing lacks them (the dates
// are then left empty).
struct FindHandle;
[[nodiscard]] FindHandle* FindFirst(const char* pattern, FindData& data, bool dates = true);
// Fills data with the next match; false when the search has run out.
[[nodiscard]] bool FindNext(FindHandle* search, FindData& data);
void FindEnd(FindHandle* search);

// A search that ends itself: FindFirst's result held, FindEnd called when
// it goes.
struct FindEnder {
    void operator()(FindHandle* search) const { FindEnd(search); }
};
using OwnedSearch = std::unique_ptr<FindHandle, FindEnder>;

// While one lives on a thread, the folder listings that matching names
// ignoring case needs are read once and then kept up to date with this
// thread's own changes, instead of being read again for every path: for an
// operation that writes many new files into one folder, where each would
// otherwise read the whole folder. A change another thread or program makes
// to such a folder meanwhile may go unseen. Scopes nest; the listings go with
// the outermost. Each thread has its own.
class ListingScope {
public:
    ListingScope();
    ~ListingScope();
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;
};

// Used by the implementations: a number that identifies the outermost
// ListingScope alive on this thread, or 0 when there is none.
unsigned ListingGeneration();

}  // namespace platform
