// What went wrong in a file operation, told the way the player needs it: the
// kind of failure and the system's reason in words. And the seam through
// which the tests make one operation fail without touching the disk.
#pragma once

#include <functional>
#include <string>

// Marks the program's own words for a failure for the translators' template
// without translating them here: the file layer knows no language, and the
// player's front end translates the words where it shows them.
#define PlayerWords(english) english

namespace platform {

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
// leaves it alone. When the reason is the program's own words rather than
// the system's, words holds them as an English format whose "%s" is value,
// for a front end to translate; the reason is that format filled.
struct Failure {
    FileError error = FileError::None;
    std::string reason;
    std::string words;  // empty when the reason is the system's own
    std::string value;
};
const Failure& LastFailure();

// Used by the implementations: records a failure of this thread with the
// system's reason. Returns false, for the caller to pass on.
bool Fail(FileError error, std::string reason);

// Records a failure of this thread told in the program's own words (marked
// with PlayerWords), their "%s" standing for value. Returns false.
bool FailInWords(FileError error, const char* words, std::string value = std::string());

// Records failure, one kept earlier, as this thread's last again. Returns
// false.
bool Fail(Failure failure);

// The system's words for a kind of failure, as it would report it.
std::string ReasonText(FileError error);

#if defined(_WIN32)
// The system's words for a Windows error code, without the line end and
// full stop they end with; "error N" where the system has none.
std::string SystemMessage(unsigned long code);
#endif

// The operations a test can make fail, one call at a time, without touching
// the real file system. Flush is the forcing of a file (path: the file) or of
// a folder's entries (path: the folder) to the disk.
enum class FileOp { OpenRead, OpenWrite, Read, Write, Close, Copy, Remove, Rename, Flush };

// Installs a hook asked before each operation above; when it returns true the
// operation fails as if the platform had refused it, with the given kind of
// failure (and the system's words for it). An empty hook removes it.
using FaultHook = std::function<bool(FileOp op, const std::string& path)>;
void SetFaultHook(FaultHook hook, FileError as = FileError::Failed);

// Used by the implementations: true when the hook asks op on path to fail;
// the failure is then recorded as this thread's last.
bool FaultInjected(FileOp op, const char* path);

}  // namespace platform
