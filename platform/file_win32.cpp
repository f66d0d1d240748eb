// The system calls of the file layer on Windows.
#include "platform/native_file.h"

#include <windows.h>

#include <aclapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace platform {

namespace {

FileError ErrorOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_DRIVE: return FileError::NotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_NOT_READY: return FileError::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE: return FileError::InUse;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FileError::DiskFull;
        default: return FileError::Failed;
    }
}

std::string MessageOf(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

// Records the system's error as this thread's last failure; returns false.
bool FailCode(DWORD code = GetLastError()) { return Fail(ErrorOf(code), MessageOf(code)); }

// Windows denies replacing or deleting a file that a program holds (a game
// that loaded the library, a server still running) with the same error as a
// file the player may not change. The shared layer has already refused
// read-only files and folders, so a denial on a file that can still be opened
// for deletion, or that is shared with nobody, is the file held: that is
// told as in use, whose cure is closing the game, not rights the player
// lacks.
DWORD HeldOrDenied(const std::string& host, DWORD code) {
    if (code != ERROR_ACCESS_DENIED) return code;
    const DWORD attributes = GetFileAttributesA(host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return code;
    HANDLE file = CreateFileA(host.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return ERROR_SHARING_VIOLATION;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_SHARING_VIOLATION : code;
}

HANDLE AsHandle(native::Handle file) { return static_cast<HANDLE>(file); }

void FillInfo(const BY_HANDLE_FILE_INFORMATION& data, native::Info& info) {
    info.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.directory;
    info.readOnly = !info.directory && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    info.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.volume = data.dwVolumeSerialNumber;
    info.index = (static_cast<uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
    info.writeTime = static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                          data.ftLastWriteTime.dwLowDateTime);
    info.changeTime = static_cast<int64_t>((static_cast<uint64_t>(data.ftCreationTime.dwHighDateTime) << 32) |
                                           data.ftCreationTime.dwLowDateTime);
    info.marks = data.dwFileAttributes;
}

// The final path of an open handle, without the "\\?\" prefix the system
// puts before it.
std::string FinalPathOf(HANDLE handle) {
    char path[MAX_PATH * 4];
    const DWORD n = GetFinalPathNameByHandleA(handle, path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof path) return std::string();
    std::string text(path, n);
    if (text.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + text.substr(8);
    if (text.compare(0, 4, "\\\\?\\") == 0) return text.substr(4);
    return text;
}

// Others may go on reading, writing, renaming and deleting a file this
// program has open: it never holds a player's file against the game.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

namespace native {

const Handle kNoHandle = INVALID_HANDLE_VALUE;

FileDate DateOf(int64_t writeTime) {
    // FileTimeToSystemTime gives the calendar time in UTC; no conversion to
    // local time is made.
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(writeTime) & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(writeTime) >> 32);
    SYSTEMTIME utc{};
    FileDate date;
    if (FileTimeToSystemTime(&time, &utc)) {
        date.year = utc.wYear;
        date.month = utc.wMonth;
        date.day = utc.wDay;
    }
    return date;
}

Handle OpenRead(const char* path, Info* info) {
    if (!path || !*path) {
        FailCode(ERROR_FILE_NOT_FOUND);
        return kNoHandle;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FailCode();
        return kNoHandle;
    }
    // Only a file on a disk: a pipe or a device would never end or never answer.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        FailInWords(FileError::NotFound, PlayerWords("not a regular file"));
        return kNoHandle;
    }
    if (info && !InfoOf(file, *info)) {
        CloseHandle(file);
        return kNoHandle;
    }
    return file;
}

Handle OpenReadInside(const char*, const std::string&, Info*) {
    // The final path of the open file (RealPathOf) costs no more than an
    // open here: nothing is kept.
    return kNoHandle;
}

void EndListingScope() {}

Handle OpenToLookAt(const char* path, Info* info) {
    if (!path || !*path) {
        FailCode(ERROR_FILE_NOT_FOUND);
        return kNoHandle;
    }
    // Reading attributes is not subject to the holder's sharing.
    HANDLE file =
        CreateFileA(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FailCode();
        return kNoHandle;
    }
    Info seen;
    if (GetFileType(file) != FILE_TYPE_DISK || !InfoOf(file, seen) || !seen.regular) {
        CloseHandle(file);
        FailInWords(FileError::NotFound, PlayerWords("not a regular file"));
        return kNoHandle;
    }
    if (info) *info = seen;
    return file;
}

Handle CreateNew(const std::string& host, uint32_t, bool& exists) {
    exists = false;
    HANDLE file = CreateFileA(host.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        FailCode(code);
        return kNoHandle;
    }
    return file;
}

Handle OpenWrite(const std::string& host, bool append) {
    HANDLE file = CreateFileA(host.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, kShareAll, nullptr,
                              append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        FailCode();
        return kNoHandle;
    }
    return file;
}

bool Read(Handle file, char* buffer, size_t size, size_t& got) {
    DWORD n = 0;
    if (!ReadFile(AsHandle(file), buffer, static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size), &n, nullptr))
        return FailCode();
    got = n;
    return true;
}

bool Write(Handle file, const char* data, size_t size) {
    while (size > 0) {
        DWORD n = 0;
        if (!WriteFile(AsHandle(file), data, static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size), &n, nullptr))
            return FailCode();
        if (n == 0) return FailCode(ERROR_DISK_FULL);
        data += n;
        size -= n;
    }
    return true;
}

bool CopyData(Handle from, Handle to, uint64_t size) {
    std::unique_ptr<char[]> buffer(new char[64 * 1024]);
    uint64_t left = size;
    while (left > 0) {
        size_t got = 0;
        if (!Read(from, buffer.get(), static_cast<size_t>(left < 64 * 1024 ? left : 64 * 1024), got)) return false;
        if (got == 0) break;
        if (!Write(to, buffer.get(), got)) return false;
        left -= got;
    }
    // A file that ends early or goes on was being changed while it was
    // copied: neither copy is the file the caller looked at.
    size_t more = 0;
    if (left == 0 && !Read(from, buffer.get(), 1, more)) return false;
    if (left != 0 || more != 0) return FailInWords(FileError::Failed, kChangedWhileCopied);
    return true;
}

bool Sync(Handle file) { return FlushFileBuffers(AsHandle(file)) || FailCode(); }

bool Close(Handle file) { return CloseHandle(AsHandle(file)) || FailCode(); }

bool InfoOf(Handle file, Info& info) {
    BY_HANDLE_FILE_INFORMATION data;
    if (!GetFileInformationByHandle(AsHandle(file), &data)) return FailCode();
    FillInfo(data, info);
    return true;
}

bool InfoAt(const std::string& host, Info& info) {
    if (host.empty()) return FailCode(ERROR_FILE_NOT_FOUND);
    // Attributes only, so that even a file the game holds open can be looked at.
    HANDLE file = CreateFileA(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FailCode();
    bool ok = InfoOf(file, info);
    CloseHandle(file);
    return ok;
}

bool CopyLastWrite(const Info& like, Handle file) {
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(like.writeTime) & 0xFFFFFFFFu);
    written.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(like.writeTime) >> 32);
    return SetFileTime(AsHandle(file), nullptr, nullptr, &written) || FailCode();
}

bool TakeMarks(Handle, const std::string& fileHost, uint32_t, const Info& like) {
    const DWORD copied =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (!(like.marks & copied)) return true;  // a new file has none of them
    return SetFileAttributesA(fileHost.c_str(), like.marks & copied) || FailCode();
}

bool TakeAttributes(Handle file, const std::string& fileHost, const std::string& like) {
    // The access control list is copied onto the temporary before the
    // rename rather than left to ReplaceFile, which would keep it too:
    // ReplaceFile is no single rename but several steps, and where the last
    // fails (ERROR_UNABLE_TO_MOVE_REPLACEMENT, without a backup) the target
    // is gone and the new file still under its temporary name. A rename
    // after the copy keeps the one-step replace that file.h promises.
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(like.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;  // a file system without security, or one the process may not read: nothing to keep
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    // A list of inherited entries only is the one the temporary got from
    // the same folder already; only one with entries of its own, or one
    // cut off from its folder's, needs to be set.
    bool own = (control & SE_DACL_PROTECTED) != 0 || !dacl;
    for (DWORD i = 0; !own && dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER* ace = nullptr;
        own = GetAce(dacl, i, reinterpret_cast<void**>(&ace)) && !(ace->AceFlags & INHERITED_ACE);
    }
    DWORD code = ERROR_SUCCESS;
    if (own) {
        // The entries inherited from the folder are taken from the folder
        // again; those of the file's own are copied.
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
        code = SetNamedSecurityInfoA(const_cast<char*>(fileHost.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                                     nullptr);
    }
    // Another owner only an administrator may give, as only root may on
    // POSIX; anyone else's new files are theirs.
    PSID created = nullptr;
    PSECURITY_DESCRIPTOR createdDescriptor = nullptr;
    if (code == ERROR_SUCCESS && owner &&
        GetSecurityInfo(AsHandle(file), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &created, nullptr, nullptr, nullptr,
                        &createdDescriptor) == ERROR_SUCCESS) {
        if (created && !EqualSid(owner, created))
            SetNamedSecurityInfoA(const_cast<char*>(fileHost.c_str()), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                  owner, nullptr, nullptr, nullptr);
        LocalFree(createdDescriptor);
    }
    LocalFree(descriptor);
    switch (code) {
        case ERROR_SUCCESS:
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
        case ERROR_CALL_NOT_IMPLEMENTED: return true;
        default: return FailCode(code);
    }
}

bool FollowLinks(const std::string& host, std::string& reached) {
    reached = host;
    const DWORD attributes = host.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is the file at
    // the end of the chain.
    HANDLE file = CreateFileA(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return FailInWords(FileError::NotFound, PlayerWords("it is a link to a missing file"));
        return FailCode(code);
    }
    const std::string path = FinalPathOf(file);
    const DWORD code = GetLastError();
    CloseHandle(file);
    if (path.empty()) return FailCode(code);
    reached = path;
    return true;
}

bool FolderMarks(const std::string&, Info& marks) {
    // A new file takes the folder's permissions from the system itself.
    marks = Info();
    return true;
}

uint32_t WritableCopyMarks(uint32_t) { return 0; }

uint32_t CreatedMarks(uint32_t) { return 0; }

bool Rename(const std::string& from, const std::string& to) {
    // A file that another program reads at this moment (another installer's
    // scan, a virus scanner) cannot be replaced until it lets go, which it
    // does within moments: a few tries before the failure is told.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD code = GetLastError();
        const bool held =
            code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
        if (!held) return FailCode(code);
        if (attempt == 25) return FailCode(HeldOrDenied(to, code));
        Sleep(20);
    }
}

bool LinkInfoAt(const std::string& host, Info& info) {
    if (host.empty()) return FailCode(ERROR_FILE_NOT_FOUND);
    HANDLE file = CreateFileA(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FailCode();
    BY_HANDLE_FILE_INFORMATION data;
    const bool ok = GetFileInformationByHandle(file, &data) || FailCode();
    CloseHandle(file);
    if (!ok) return false;
    FillInfo(data, info);
    info.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return true;
}

bool Unlink(const std::string& host) {
    if (DeleteFileA(host.c_str())) return true;
    DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || FailCode(HeldOrDenied(host, code));
}

bool SyncFolder(const std::string&) {
    // The rename was made with MOVEFILE_WRITE_THROUGH: it is on the disk.
    return true;
}

Handle LockFolder(const std::string& host, bool& busy) {
    busy = false;
    // The lock is a semaphore of one, named after the folder as the file
    // system knows it (its volume and file index), so that every name and
    // link that reaches the folder reaches the same lock. A handle on the
    // folder itself could only exclude through its sharing, which would
    // refuse the installer's own renames into the folder (a rename opens its
    // folder for writing) or fail while a server runs in it (a program's
    // working folder is shared without delete).
    HANDLE folder = CreateFileA(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        FailCode();
        return kNoHandle;
    }
    BY_HANDLE_FILE_INFORMATION data;
    const bool known = GetFileInformationByHandle(folder, &data) || FailCode();
    CloseHandle(folder);
    if (!known) return kNoHandle;
    char name[96];
    std::snprintf(name, sizeof name, "Local\\VeldrinIns-folder-%08lx-%08lx%08lx",
                  static_cast<unsigned long>(data.dwVolumeSerialNumber),
                  static_cast<unsigned long>(data.nFileIndexHigh), static_cast<unsigned long>(data.nFileIndexLow));
    HANDLE lock = CreateSemaphoreA(nullptr, 1, 1, name);
    if (!lock) {
        FailCode();
        return kNoHandle;
    }
    // Not a mutex: a mutex is its thread's, and the same thread would take
    // it twice. A killed holder's handle closes with its process; the
    // semaphore then goes with the last handle, and the next one is free.
    if (WaitForSingleObject(lock, 0) == WAIT_OBJECT_0) return lock;
    CloseHandle(lock);
    busy = true;
    FailCode(ERROR_LOCK_VIOLATION);
    return kNoHandle;
}

void UnlockFolder(Handle lock) {
    ReleaseSemaphore(AsHandle(lock), 1, nullptr);
    CloseHandle(AsHandle(lock));
}

int64_t Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

std::string RealPathOf(Handle file) { return FinalPathOf(AsHandle(file)); }

std::string RealFolderPath(const std::string& host) {
    HANDLE folder = CreateFileA(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::string();
    BY_HANDLE_FILE_INFORMATION data;
    std::string path;
    if (GetFileInformationByHandle(folder, &data) && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        path = FinalPathOf(folder);
    CloseHandle(folder);
    return path;
}

bool RealPathInside(const std::string& real, const std::string& folder) {
    if (real.empty() || folder.empty()) return false;
    std::string base = folder;
    if (base.back() != '\\') base += '\\';
    return real.size() > base.size() && _strnicmp(real.c_str(), base.c_str(), base.size()) == 0;
}

void NoteChange(const std::string&, bool) {}

}  // namespace native

std::string SystemMessage(unsigned long code) { return MessageOf(static_cast<DWORD>(code)); }

std::string ReasonText(FileError error) {
    switch (error) {
        case FileError::None: return std::string();
        case FileError::NotFound: return MessageOf(ERROR_FILE_NOT_FOUND);
        case FileError::AccessDenied: return MessageOf(ERROR_ACCESS_DENIED);
        case FileError::InUse: return MessageOf(ERROR_SHARING_VIOLATION);
        case FileError::DiskFull: return MessageOf(ERROR_DISK_FULL);
        case FileError::Busy: return MessageOf(ERROR_LOCK_VIOLATION);
        case FileError::Failed: break;
    }
    return MessageOf(ERROR_GEN_FAILURE);
}

}  // namespace platform
