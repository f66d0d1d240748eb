// The file-system services the installer core needs, with Windows semantics on
// every host: paths are Windows paths (backslash or slash separators, names
// matched ignoring case, a leading drive letter), and text files behave as the
// Windows C runtime's text mode.
//
// One implementation per OS: file_system_posix.cpp emulates these semantics on
// a case-sensitive file system, file_system_win32.cpp uses the platform itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// A calendar date of a file's last write, in UTC.
struct FileDate {
    int year = 0, month = 0, day = 0;
};

// One match of a wildcard search: the bare file name and its last write.
struct FindData {
    std::string name;
    FileDate lastWrite;
};

// A text file in the Windows C runtime's text mode: CR LF reads as LF (a lone
// CR stays), a Ctrl-Z ends the read, and LF is written as CR LF.
class TextFile {
public:
    // Opens path with mode "r", "w" (create or truncate) or "a" (append).
    // Returns null when the file cannot be opened.
    static std::unique_ptr<TextFile> Open(const char* path, const char* mode);

    virtual ~TextFile() = default;

    // fgets: reads at most limit - 1 characters into buffer, stopping after a
    // newline, which it keeps, and terminates the text. Returns false when
    // nothing could be read (end of file or error).
    virtual bool ReadRow(char* buffer, int limit) = 0;

    // True when reading stopped at an error rather than at the end of the
    // file: what was read is then only part of it.
    virtual bool ReadFailed() const = 0;

    // Writes length bytes of text. Returns false on any error (disk full, ...).
    virtual bool Write(const char* text, size_t length) = 0;
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }

    // Flushes and closes; a file written with mode "w" is also forced to disk.
    // Returns false when anything written could not be stored. Further calls
    // do nothing and return the first result.
    virtual bool Close() = 0;
};

// The host path a Windows path reaches: each existing component matched
// ignoring ASCII case (an exact match wins, else the first in byte order), a
// missing component kept as spelled, a drive letter reached through the Wine
// prefix's dosdevices. An empty path stays empty and names nothing. On
// Windows the path itself.
std::string ResolvePath(const char* path);

// True when a file or folder exists at path.
bool PathExists(const char* path);

// True when path names a folder.
bool IsDirectory(const char* path);

// Starts a wildcard search ('*' and '?', names compared ignoring case) in the
// folder of pattern. Fills data with the first match and returns a search to
// continue with FindNext, or null when nothing matches. Matches come in byte
// order ignoring case.
struct FindHandle;
FindHandle* FindFirst(const char* pattern, FindData& data);
// Fills data with the next match; false when the search has run out.
bool FindNext(FindHandle* search, FindData& data);
void FindEnd(FindHandle* search);

// Copies source over target (an existing target is overwritten); the target
// takes the source's last-write time. Returns false on any failure; a failed
// copy may leave a partial target behind.
bool CopyOver(const char* source, const char* target);

// Deletes a file. A file that does not exist counts as deleted.
bool RemoveFile(const char* path);

// Renames from over target in one step, the target's permissions kept when it
// exists. Fails, changing nothing, when the target is read-only.
bool RenameOver(const char* from, const char* target);

// While one lives, the folder listings that matching names ignoring case
// needs are read once and then kept up to date with this program's own
// changes, instead of being read again for every path: for an operation that
// writes many new files into one folder, where each would otherwise read the
// whole folder. A change another program makes to such a folder meanwhile
// may go unseen. Scopes nest; the listings go with the outermost.
class ListingScope {
public:
    ListingScope();
    ~ListingScope();
    ListingScope(const ListingScope&) = delete;
    ListingScope& operator=(const ListingScope&) = delete;
};

// Used by the implementations: a number that identifies the outermost
// ListingScope alive, or 0 when there is none.
unsigned ListingGeneration();

// What kind of failure a file operation met.
enum class FileError {
    None,
    NotFound,      // no such file or folder, or not a regular file where one is needed
    AccessDenied,  // read-only, no permission, a read-only file system
    InUse,         // another program holds the file open (a running game's library)
    DiskFull,      // no room left on the disk or in the quota
    Busy,          // a lock held by another installer
    Failed         // anything else
};

// The last failure of a file operation on this thread: its kind and the
// system's reason in words. Each failing operation sets it; a succeeding one
// leaves it alone.
struct Failure {
    FileError error = FileError::None;
    std::string reason;
};
const Failure& LastFailure();

// Used by the implementations: records a failure of this thread.
void SetLastFailure(FileError error, std::string reason);

// The system's words for a kind of failure, as it would report it.
std::string ReasonText(FileError error);

// The operations a test can make fail, one call at a time, without touching
// the real file system.
enum class FileOp { OpenRead, OpenWrite, Read, Write, Close, Copy, Remove, Rename };

// Installs a hook asked before each operation above; when it returns true the
// operation fails as if the platform had refused it, with the given kind of
// failure (and the system's words for it). An empty hook removes it.
using FaultHook = std::function<bool(FileOp op, const std::string& path)>;
void SetFaultHook(FaultHook hook, FileError as = FileError::Failed);

// Used by the implementations: true when the hook asks op on path to fail.
bool FaultInjected(FileOp op, const char* path);

}  // namespace platform
