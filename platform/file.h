// File operations with the guarantees the installer gives a player's game
// folder: a file is replaced in one step or not at all, never through a name
// or link that someone else put there (unless the caller asks for a link to
// be followed), keeping its owner, group, permissions, access control list
// and extended attributes; only regular files are read; and one installer at
// a time changes a game folder. Paths are Windows paths (path.h). Every
// operation that fails records why (failure.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/native_handle.h"

namespace platform {

// What a file is: its size, last write, identity and marks.
using FileInfo = native::Info;

// The UTC calendar date of the last write of the file info tells of.
inline FileDate WriteDateOf(const FileInfo& info) { return native::DateOf(info.writeTime); }

// True when the regular file path reaches can be opened for reading, or is
// held by another program that shares it with nobody (Windows: a running
// game's library, there all the same); info, when given, receives what it is
// (its size and last write among others).
// Returns false when it cannot be opened or is no regular file: nothing, a
// folder, a pipe or a device; and, when within names a folder, when the file
// does not lie inside that folder once every link is followed.
[[nodiscard]] bool ReadableFile(const char* path, FileInfo* info = nullptr, const char* within = nullptr);

struct CopyRules;
struct CopyReport;

// True, with the failure recorded, when what info tells of may not be
// written to, replaced or deleted: a folder, or a read-only file, which
// Windows refuses even to an administrator and the layer refuses on every
// host. A link (FileInfo::link) is no read-only file of its own.
[[nodiscard]] bool RefusesChange(const FileInfo& info);

// What a change does where a symbolic link stands at the name of the file
// it replaces.
enum class LinkAtTarget {
    Replace,  // the link itself is replaced by a plain file
    Follow    // the file the link finally reaches is replaced, and the link stays
};

// The length of a temporary name (NewFile): at least this many characters,
// and at most as many as the target's name or kLongestTemporary.
constexpr size_t kShortestTemporary = 12;
constexpr size_t kLongestTemporary = 24;

// A new file written beside its target under a temporary name, then put in
// the target's place in one step. The temporary name is unique, created
// exclusively (never through anything that stands at that name) and carries
// a mark no player's file has: "~veldrin-" and random lowercase letters and
// digits, by which RemoveStaleTemporaries knows it. It is as long as the
// target's own name, within kShortestTemporary and kLongestTemporary
// characters: a path that fits the system's limit keeps fitting wherever
// the target's name has kShortestTemporary characters or more, and a
// shorter one's folder needs room for that many. Until Commit, the target
// is untouched; a NewFile destroyed without a Commit removes its temporary
// file.
class NewFile {
public:
    // Creates the temporary file beside target. With LinkAtTarget::Follow,
    // where a symbolic link (or a chain of them) stands at target, the file
    // it finally reaches is the target instead: the temporary is made beside
    // that file and put in its place, and the link stays a link. Returns
    // null when it cannot (a missing or read-only folder, a full disk, ...),
    // when the target is a folder or a read-only file, which may not be
    // replaced, and, when following, when the link leads to nothing or to
    // something other than a file.
    [[nodiscard]] static std::unique_ptr<NewFile> Beside(const char* target,
                                                         LinkAtTarget links = LinkAtTarget::Replace);

    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Appends bytes as they are. Returns false on any failure; the file is
    // then discarded at Commit.
    [[nodiscard]] bool Write(const char* data, size_t length);

    // The temporary file's handle, for a copy that fills it at once.
    native::Handle Handle() const { return file_; }
    // Marks the content as failed, when it was filled through Handle.
    void Failed() { failed_ = true; }

    // Puts the file in the target's place: forces it to the disk (toDisk),
    // gives it the target's owner, group and permissions (Windows: its
    // attributes), its extended attributes and access control list
    // (Windows: its access control list and owner), renames it over the
    // target and, with toDisk, forces the folder's entry to the disk too.
    // What the process may not set (another owner, where only root or an
    // administrator may give files away; security attributes) is left as
    // the new file has it, as on a file system that keeps no such things. A
    // new target takes all this of the file model when given, else the
    // owner and group of its folder. Fails, the target untouched and the
    // temporary file removed, when anything written could not be stored,
    // the target is read-only or a folder, or the rename fails.
    [[nodiscard]] bool Commit(bool toDisk, const char* model = nullptr);

    // The host path of the temporary file.
    const std::string& TempPath() const { return temp_; }

private:
    friend bool CopyOver(const char*, const char*, const CopyRules&, bool*, CopyReport*);
    friend class SetAside;
    NewFile() = default;
    // Closes the file and gives up its temporary name, which it no longer
    // removes; returns that name's host path.
    std::string Release();
    // Beside for a target already resolved to targetHost and looked at:
    // exists tells whether anything stands there, info what. The temporary
    // file is created with the permission bits marks.
    [[nodiscard]] static std::unique_ptr<NewFile> Create(const char* target, std::string targetHost, bool exists,
                                                         const FileInfo& info, uint32_t marks);
    [[nodiscard]] bool Flush();
    void Discard();

    native::Handle file_ = native::kNoHandle;
    std::string target_, temp_, targetHost_;
    bool targetExists_ = false;
    FileInfo targetInfo_;
    uint32_t marks_ = 0;  // the permission bits it was created with, when known
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    bool failed_ = false, done_ = false;
};

// What a copy asks of its source and its target.
struct CopyRules {
    bool toDisk = false;           // the copy and its folder entry are forced to the disk before the call returns
    const char* within = nullptr;  // the source must lie inside this folder once every link is followed
    bool nonEmpty = false;         // an empty source is refused
    // When set, a target that exists is replaced only when this answers
    // true for the source and what stands at the target; otherwise it is
    // kept as it is and the copy counts as done (CopyReport::kept).
    std::function<bool(const FileInfo& source, const FileInfo& target)> replaceIf;
};

// What a copy did, for a caller that records it.
struct CopyReport {
    bool kept = false;  // the target was kept as it was, as CopyRules::replaceIf asked
    FileInfo copy;      // what the copy is, once written (size, last write), when not kept
};

// Copies source over target through a NewFile: an existing target stays
// whole until the copy is complete, and a failed copy leaves it as it was.
// The copy takes the source's last-write time and is writable by its owner.
// The source is judged on the handle it is copied from: a regular file (and
// as the rules ask), whose size when opened is exactly what the copy gets. A
// target that is the source itself (through a link, a hard link or another
// spelling) is left alone and counts as copied. Returns false on any
// failure; sourceFault, when given, tells whether the source was at fault
// (missing, no regular file, outside its folder, empty, or changed while it
// was copied).
// report, when given, tells what the copy did.
[[nodiscard]] bool CopyOver(const char* source, const char* target, const CopyRules& rules = {},
                            bool* sourceFault = nullptr, CopyReport* report = nullptr);

// A file moved out of the way, under a temporary name beside it (one a
// NewFile would take, with its mark), until it is put back or let go.
class SetAside {
public:
    // Moves the file at path aside; with LinkAtTarget::Follow, where a
    // symbolic link stands at path, the file it finally reaches, beside
    // itself, while the link stays. Returns a SetAside that holds nothing
    // when there is no file at path, and null when it cannot be moved (the
    // folder or the file may not be changed, or the link leads to nothing).
    [[nodiscard]] static std::unique_ptr<SetAside> Move(const char* path, LinkAtTarget links = LinkAtTarget::Replace);

    // Puts the file back under its name. Returns false on failure.
    [[nodiscard]] bool Restore();

    // Deletes the file set aside, unless it was put back.
    ~SetAside();
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;

private:
    SetAside() = default;
    std::string host_, aside_;
};

// Deletes a file. A file that does not exist counts as deleted; a folder or
// a read-only file is refused.
[[nodiscard]] bool RemoveFile(const char* path);

// An exclusive lock, held for one installer's change of a game folder,
// across processes; released when destroyed.
class FileLock {
public:
    // Locks the folder at path itself, so that no file renamed into it or
    // out of it can take the lock away. Waits up to waitMilliseconds for
    // another holder to let go. Returns null when the folder cannot be
    // opened, or with a Busy failure when the wait runs out.
    [[nodiscard]] static std::unique_ptr<FileLock> Acquire(const char* path, int waitMilliseconds);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // When the lock was taken, on the clock of FileInfo::changeTime.
    int64_t Acquired() const { return acquired_; }

private:
    FileLock(native::Handle folder, int64_t acquired) : folder_(folder), acquired_(acquired) {}
    native::Handle folder_;
    int64_t acquired_;
};

// Deletes the temporary files a NewFile (or a SetAside) leaves in folder
// when its process was killed before it could remove them: regular files
// whose names carry the temporary's mark, made before olderThan
// (FileInfo::changeTime's clock); nothing else, whatever its name. A
// change calls it while it holds the game folder's lock, so that no living
// installer's temporary can be among them. Returns how many it deleted.
int RemoveStaleTemporaries(const char* folder, int64_t olderThan);

}  // namespace platform
