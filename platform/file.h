// File operations with the guarantees the installer gives a player's game
// folder: a file is replaced in one step or not at all, never through a name
// or link that someone else put there, keeping its owner, group and
// permissions; only regular files are read; and one installer at a time
// changes a game folder. Paths are Windows paths (path.h). Every operation
// that fails records why (failure.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/native_file.h"

namespace platform {

// What a file is: its size, last write, identity and marks.
using FileInfo = native::Info;

// True when the regular file path reaches can be opened for reading; info,
// when given, receives what it is (its size and last write among others).
// Returns false when it cannot be opened or is no regular file: nothing, a
// folder, a pipe or a device.
bool ReadableFile(const char* path, FileInfo* info = nullptr);

// A new file written beside its target under a temporary name, then put in
// the target's place in one step. The temporary name is unique, created
// exclusively (never through anything that stands at that name) and no
// longer than the target's own name, so a path that fits the system's limit
// keeps fitting. Until Commit, the target is untouched; a NewFile destroyed
// without a Commit removes its temporary file.
class NewFile {
public:
    // Creates the temporary file beside target. Returns null when it cannot
    // (a missing or read-only folder, a full disk, ...), or when the target
    // is a folder or a read-only file, which may not be replaced.
    static std::unique_ptr<NewFile> Beside(const char* target);

    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Appends bytes as they are. Returns false on any failure; the file is
    // then discarded at Commit.
    bool Write(const char* data, size_t length);
    // Appends text with LF as CR LF, as a text-mode write does.
    bool WriteText(const std::string& text);

    // The temporary file's handle, for a copy that fills it at once.
    native::Handle Handle() const { return file_; }
    // Marks the content as failed, when it was filled through Handle.
    void Failed() { failed_ = true; }

    // Puts the file in the target's place: forces it to the disk (toDisk),
    // gives it the target's owner, group and permissions (Windows: its
    // attributes), renames it over the target and, with toDisk, forces the
    // folder's entry to the disk too. A new target takes the marks of the
    // file model when given, else the owner and group of its folder (only
    // root may set those; otherwise they stay). Fails, the target untouched
    // and the temporary file removed, when anything written could not be
    // stored, the target is read-only or a folder, or the rename fails.
    bool Commit(bool toDisk, const char* model = nullptr);

    // The host path of the temporary file.
    const std::string& TempPath() const { return temp_; }

private:
    friend bool CopyOver(const char*, const char*, bool);
    NewFile() = default;
    // Beside for a target already resolved to targetHost and looked at:
    // exists tells whether anything stands there, info what. The temporary
    // file is created with the permission bits marks.
    static std::unique_ptr<NewFile> Create(const char* target, std::string targetHost, bool exists,
                                           const FileInfo& info, uint32_t marks);
    bool Flush();
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

// Copies source over target through a NewFile: an existing target stays
// whole until the copy is complete, and a failed copy leaves it as it was.
// The copy takes the source's last-write time and is writable by its owner.
// With toDisk, the copy and its folder entry are forced to the disk before
// the call returns. A target that is the source itself (through a link, a
// hard link or another spelling) is left alone and counts as copied. Returns
// false on any failure; anything but a regular source counts as missing.
bool CopyOver(const char* source, const char* target, bool toDisk = false);

// Deletes a file. A file that does not exist counts as deleted; a folder or
// a read-only file is refused.
bool RemoveFile(const char* path);

// An exclusive lock, held for one installer's change of a game folder,
// across processes; released when destroyed.
class FileLock {
public:
    // Locks the regular file at path, which is opened for reading only, so
    // a read-only file or folder serves. Waits up to waitMilliseconds for
    // another holder to let go. Returns null when the file cannot be opened,
    // or with a Busy failure when the wait runs out.
    static std::unique_ptr<FileLock> Acquire(const char* path, int waitMilliseconds);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    explicit FileLock(native::Handle file) : file_(file) {}
    native::Handle file_;
};

}  // namespace platform
