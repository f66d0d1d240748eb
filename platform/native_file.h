// The system calls of the file layer, one implementation per host
// (file_posix.cpp, file_win32.cpp), kept to the platform: nothing above it
// may call the system but through the file layer. Everything a host does alike is built on
// these in text_file.cpp and file.cpp. Each call that fails records the
// failure (LastFailure) and returns false, or an invalid handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/failure.h"
#include "platform/native_handle.h"
#include "platform/path.h"

namespace platform {
namespace native {

// Opens the regular file a Windows path reaches for reading, never waiting
// on a pipe or device: anything but a regular file counts as missing. info,
// when given, receives what the file is.
Handle OpenRead(const char* path, Info* info = nullptr);

// Opens the regular file a Windows path reaches for reading, as OpenRead,
// when it can be told at the open that the file lies inside the folder
// realFolder (a path RealFolderPath gave) once every link is followed:
// while a ListingScope lives, the path's folder is opened and looked at
// once, and a file in it that is no link is opened from there. Returns
// kNoHandle, recording nothing, when it cannot be told so (no scope, a
// link, another spelling, no such file, or a host without such opens): the
// caller then opens the file as usual and asks where it lies.
Handle OpenReadInside(const char* path, const std::string& realFolder, Info* info = nullptr);

// Lets go of what the layer keeps for this thread's ListingScope (an open
// folder); called when the outermost one ends.
void EndListingScope();

// Opens the regular file at a path only to look at it, where OpenRead failed
// with InUse: Windows lets a file that another program shares with nobody be
// looked at, not read. info, when given, receives what the file is. POSIX
// has no such holds: there it fails as OpenRead did.
Handle OpenToLookAt(const char* path, Info* info = nullptr);

// Creates a new file at a host path for writing, with the permission bits
// marks (POSIX; the process's umask applies), failing when anything stands at
// that name already, a dangling link included. exists tells the caller that
// the name was taken.
Handle CreateNew(const std::string& host, uint32_t marks, bool& exists);

// Opens a host path for writing as the C runtime's "w" (created or
// truncated) or "a" (created, or written at its end).
Handle OpenWrite(const std::string& host, bool append);

// Reads up to size bytes; got is 0 at the end of the file.
bool Read(Handle file, char* buffer, size_t size, size_t& got);

// Writes all of size bytes.
bool Write(Handle file, const char* data, size_t size);

// Copies size bytes (the size of from when opened) from its current
// position to to, as fast as the host allows. Returns false on a read or
// write failure, and when from no longer holds exactly size bytes (it shrank
// or grew while it was copied).
bool CopyData(Handle from, Handle to, uint64_t size);

// The reason CopyData gives for a file that changed while it was copied.
constexpr const char* kChangedWhileCopied = PlayerWords("the file changed while it was copied");

// Forces what was written to the disk.
bool Sync(Handle file);

// Closes the file; false when written data could not be stored.
bool Close(Handle file);

// What the open file is.
bool InfoOf(Handle file, Info& info);

// What stands at a host path, following links; false (NotFound) when nothing.
bool InfoAt(const std::string& host, Info& info);

// What stands at a host path itself: a link is told as a link, not
// followed. False (NotFound) when nothing.
bool LinkInfoAt(const std::string& host, Info& info);

// Gives file the last-write time of like.
bool CopyLastWrite(const Info& like, Handle file);

// Gives the new file file (at host path fileHost), created with the
// permission bits created (0 when not known), the marks of like: its owner,
// group and permission bits (Windows: its hidden, system and archive
// attributes). Each is set only where it differs; owner and group only by
// root, since anyone else's new files are theirs already.
bool TakeMarks(Handle file, const std::string& fileHost, uint32_t created, const Info& like);

// Gives the new file file (at host path fileHost) what the file at host
// path like carries besides its marks, after TakeMarks: its extended
// attributes, its access control list among them (POSIX), or its access
// control list and, where the process may give it, its owner (Windows).
// What the process may not set, and a file system that keeps no such
// things, are skipped, no failure; false when one could not be read or
// stored for another reason (a full disk).
bool TakeAttributes(Handle file, const std::string& fileHost, const std::string& like);

// The host path of the file that a symbolic link at host finally reaches,
// each link of a chain followed; host itself where no link stands there (a
// file, or nothing). False, with the failure recorded, when the link leads
// to nothing: "it is a link to a missing file".
bool FollowLinks(const std::string& host, std::string& reached);

// The marks a new file takes in folder where no file stood: the folder's
// owner and group (permission bits 0). Kept for the thread while a
// ListingScope lives, since a folder's owner does not change under an
// operation.
bool FolderMarks(const std::string& folder, Info& marks);

// The permission bits a copy of a file with these marks gets: writable by
// its owner, so that a later upgrade or Remove can replace it (Windows: no
// read-only attribute).
uint32_t WritableCopyMarks(uint32_t marks);

// The permission bits a file created with marks has (POSIX: less the
// process's umask); 0 when that cannot be told.
uint32_t CreatedMarks(uint32_t marks);

// Renames a host path over another in one step.
bool Rename(const std::string& from, const std::string& to);

// Deletes what stands at a host path (a link, not what it leads to); a
// missing one counts as deleted.
bool Unlink(const std::string& host);

// Forces a folder's entries (a rename into it) to the disk, where the host
// needs that apart from the files.
bool SyncFolder(const std::string& host);

// Takes an exclusive lock on the folder at a host path without waiting,
// held on the folder itself, which no rename of a file in it can replace.
// Returns the handle that holds it, or kNoHandle with busy set when another
// process (or another handle) holds it.
Handle LockFolder(const std::string& host, bool& busy);

// Lets go of a lock LockFolder took.
void UnlockFolder(Handle lock);

// The host's clock now, in the units of Info::changeTime.
int64_t Now();

// The path of the open file with every link followed, as the system has it;
// empty when it cannot be told.
std::string RealPathOf(Handle file);

// The path of the folder at a host path with every link followed; empty
// when there is no such folder.
std::string RealFolderPath(const std::string& host);

// True when real, a path RealPathOf gave, lies inside the folder folder, a
// path RealFolderPath gave (names compared as the host compares them).
bool RealPathInside(const std::string& real, const std::string& folder);

// Lets this thread's folder listings know of a file made or removed at a
// host path (path_posix.cpp keeps them); nothing where none are kept.
void NoteChange(const std::string& host, bool exists);

}  // namespace native
}  // namespace platform
