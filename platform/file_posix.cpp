// The system calls of the file layer on a POSIX host.
#include "platform/native_file.h"
#include "platform/path_posix.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#if defined(__linux__)
#include <sys/sendfile.h>
#include <sys/xattr.h>
#endif

namespace platform {

namespace {

// What differs between the POSIX hosts, chosen once here: the rest of the
// file is the same on each.
#if defined(__linux__)
// The kernel copies between two files without bringing the data through
// user space.
ssize_t KernelCopy(int to, int from, size_t count) { return ::sendfile(to, from, nullptr, count); }

// The path of an open file, every link followed, as the system has it.
bool PathOfOpenFile(int file, char (&path)[4096]) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", file);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    if (n <= 0 || path[0] != '/') return false;
    path[n] = '\0';
    return true;
}

// Extended attributes (the access control list among them), by path for
// the file read from, by handle for the file written.
ssize_t ListAttributes(const char* path, char* list, size_t size) { return ::listxattr(path, list, size); }
ssize_t GetAttribute(const char* path, const char* name, void* value, size_t size) {
    return ::getxattr(path, name, value, size);
}
int SetAttribute(int file, const char* name, const void* value, size_t size) {
    return ::fsetxattr(file, name, value, size, 0);
}
#else
ssize_t KernelCopy(int, int, size_t) {
    errno = ENOSYS;
    return -1;
}

bool PathOfOpenFile(int file, char (&path)[4096]) {
#if defined(F_GETPATH)
    return PATH_MAX <= sizeof path && ::fcntl(file, F_GETPATH, path) == 0;
#else
    (void)file;
    (void)path;
    return false;
#endif
}

ssize_t ListAttributes(const char*, char*, size_t) {
    errno = EOPNOTSUPP;
    return -1;
}
ssize_t GetAttribute(const char*, const char*, void*, size_t) {
    errno = EOPNOTSUPP;
    return -1;
}
int SetAttribute(int, const char*, const void*, size_t) {
    errno = EOPNOTSUPP;
    return -1;
}
#endif

FileError ErrorOf(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
        case ELOOP:
        case ENAMETOOLONG: return FileError::NotFound;
        case EACCES:
        case EPERM:
        case EROFS: return FileError::AccessDenied;
        case ETXTBSY:
        case EBUSY: return FileError::InUse;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return FileError::DiskFull;
        case EWOULDBLOCK: return FileError::Busy;
        default: return FileError::Failed;
    }
}

// Records errno as this thread's last failure; returns false.
bool FailErrno(int err = errno) { return Fail(ErrorOf(err), std::strerror(err)); }

// A file without any write permission, which Windows would call read-only.
// Root may write anyway, so the bits are read rather than access().
bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

void FillInfo(const struct stat& st, native::Info& info) {
    info.regular = S_ISREG(st.st_mode);
    info.directory = S_ISDIR(st.st_mode);
    info.readOnly = IsReadOnly(st);
    info.size = static_cast<uint64_t>(st.st_size);
    info.volume = static_cast<uint64_t>(st.st_dev);
    info.index = static_cast<uint64_t>(st.st_ino);
    info.writeTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info.changeTime = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    info.marks = static_cast<uint32_t>(st.st_mode & 07777);
    info.owner = static_cast<uint32_t>(st.st_uid);
    info.group = static_cast<uint32_t>(st.st_gid);
}

int Retry(ssize_t result) { return result < 0 && errno == EINTR; }

}  // namespace

namespace native {

const Handle kNoHandle = -1;

FileDate DateOf(int64_t writeTime) {
    struct stat st {};
    st.st_mtim.tv_sec = static_cast<time_t>(writeTime / 1000000000);
    return posix::DateOf(st);
}

Handle OpenRead(const char* path, Info* info) {
    if (!path || !*path) {
        FailErrno(ENOENT);
        return kNoHandle;
    }
    // Non-blocking, so that a pipe at the name cannot hold the open up; for a
    // regular file the flag changes nothing.
    int fd = posix::OpenSpelledFirst(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        FailErrno();
        return kNoHandle;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        FailErrno();
        ::close(fd);
        return kNoHandle;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        FailInWords(FileError::NotFound, S_ISDIR(st.st_mode) ? PlayerWords("a folder stands at this name")
                                                             : PlayerWords("not a regular file"));
        return kNoHandle;
    }
    if (info) FillInfo(st, *info);
    return fd;
}

namespace {

// The folder of the last file OpenReadInside opened, kept open for the
// thread's ListingScope, and whether it lies inside the folder it was
// asked about.
struct KeptFolder {
    unsigned generation = 0;
    std::string folder, realFolder;
    int fd = -1;
    bool inside = false;

    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        generation = 0;
    }
    ~KeptFolder() { Close(); }
};

KeptFolder& Kept() {
    thread_local KeptFolder kept;
    return kept;
}

// The folder the thread's ListingScope writes into, kept open: a loop that
// puts many files into one folder reaches each name from there, rather than
// through every folder of the path each time. As the scope's listings, it
// is the folder as it was when first reached.
struct KeptTargets {
    unsigned generation = 0;
    std::string folder;
    int fd = -1;

    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        generation = 0;
    }
    ~KeptTargets() { Close(); }
};

KeptTargets& Targets() {
    thread_local KeptTargets kept;
    return kept;
}

// The descriptor of the kept folder host lies in, and its name there; -1
// when no scope lives, host names no file in a folder, or (unless open says
// the folder may be opened now, in place of the one kept) it lies elsewhere.
int InKeptFolder(const std::string& host, const char*& name, bool open) {
    const unsigned generation = ListingGeneration();
    const size_t slash = host.find_last_of('/');
    if (generation == 0 || slash == std::string::npos || slash == 0 || slash + 1 == host.size()) return -1;
    name = host.c_str() + slash + 1;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return -1;
    KeptTargets& kept = Targets();
    const bool same =
        kept.generation == generation && kept.folder.size() == slash && host.compare(0, slash, kept.folder) == 0;
    if (same) return kept.fd;
    if (!open) return -1;
    kept.Close();
    kept.generation = generation;
    kept.folder.assign(host, 0, slash);
    kept.fd = ::open(kept.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return kept.fd;
}

}  // namespace

Handle OpenReadInside(const char* path, const std::string& realFolder, Info* info) {
    const unsigned generation = ListingGeneration();
    if (generation == 0 || !path || realFolder.empty()) return kNoHandle;
    const char* cut = std::strrchr(path, '\\');
    const char* slash = std::strrchr(path, '/');
    if (!cut || (slash && slash > cut)) cut = slash;
    if (!cut || !cut[1] || std::strcmp(cut + 1, ".") == 0 || std::strcmp(cut + 1, "..") == 0) return kNoHandle;
    const std::string folder(path, static_cast<size_t>(cut - path));
    KeptFolder& kept = Kept();
    if (kept.generation != generation || kept.folder != folder || kept.realFolder != realFolder) {
        kept.Close();
        kept.generation = generation;
        kept.folder = folder;
        kept.realFolder = realFolder;
        kept.fd = posix::OpenSpelledFirst(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const std::string real = kept.fd >= 0 ? RealPathOf(kept.fd) : std::string();
        kept.inside = real == realFolder || RealPathInside(real, realFolder);
    }
    if (!kept.inside) return kNoHandle;
    // The file is an entry of the very folder looked at, and no link: it
    // lies where that folder lies, whatever is renamed meanwhile. A link
    // is left to the caller's look at where it leads.
    int fd = ::openat(kept.fd, cut + 1, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return kNoHandle;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kNoHandle;
    }
    if (info) FillInfo(st, *info);
    return fd;
}

void EndListingScope() {
    Kept().Close();
    Targets().Close();
}

Handle OpenToLookAt(const char*, Info*) { return kNoHandle; }

Handle CreateNew(const std::string& host, uint32_t marks, bool& exists) {
    exists = false;
    const char* name = nullptr;
    const int folder = InKeptFolder(host, name, true);
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = folder >= 0 ? ::openat(folder, name, flags, static_cast<mode_t>(marks))
                         : ::open(host.c_str(), flags, static_cast<mode_t>(marks));
    if (fd < 0) {
        exists = errno == EEXIST;
        FailErrno();
    }
    return fd;
}

Handle OpenWrite(const std::string& host, bool append) {
    int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
    if (fd < 0) {
        FailErrno();
        return kNoHandle;
    }
    posix::NoteChange(host, true);
    return fd;
}

bool Read(Handle file, char* buffer, size_t size, size_t& got) {
    ssize_t n;
    do n = ::read(file, buffer, size);
    while (Retry(n));
    if (n < 0) return FailErrno();
    got = static_cast<size_t>(n);
    return true;
}

bool Write(Handle file, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(file, data, size);
        if (Retry(n)) continue;
        if (n < 0) return FailErrno();
        if (n == 0) return FailErrno(ENOSPC);
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool CopyData(Handle from, Handle to, uint64_t size) {
    uint64_t left = size;
    // The kernel copies where it can, without bringing the data through
    // user space.
    while (left > 0) {
        ssize_t n = KernelCopy(to, from, static_cast<size_t>(std::min<uint64_t>(left, 1u << 30)));
        if (Retry(n)) continue;
        if (n < 0 && (errno == EINVAL || errno == ENOSYS)) break;  // not for these files: copy by hand
        if (n < 0) return FailErrno();
        if (n == 0) break;
        left -= static_cast<uint64_t>(n);
    }
    char buffer[64 * 1024];
    while (left > 0) {
        size_t got = 0;
        if (!Read(from, buffer, static_cast<size_t>(std::min<uint64_t>(left, sizeof buffer)), got)) return false;
        if (got == 0) break;
        if (!Write(to, buffer, got)) return false;
        left -= got;
    }
    // A file that ends early or goes on was being changed while it was
    // copied: neither copy is the file the caller looked at.
    size_t more = 0;
    if (left == 0 && !Read(from, buffer, 1, more)) return false;
    if (left != 0 || more != 0) return FailInWords(FileError::Failed, kChangedWhileCopied);
    return true;
}

bool Sync(Handle file) { return ::fsync(file) == 0 || FailErrno(); }

bool Close(Handle file) { return ::close(file) == 0 || FailErrno(); }

bool InfoOf(Handle file, Info& info) {
    struct stat st;
    if (::fstat(file, &st) != 0) return FailErrno();
    FillInfo(st, info);
    return true;
}

bool InfoAt(const std::string& host, Info& info) {
    struct stat st;
    if (host.empty()) return FailErrno(ENOENT);
    const char* name = nullptr;
    const int folder = InKeptFolder(host, name, true);
    if ((folder >= 0 ? ::fstatat(folder, name, &st, 0) : ::stat(host.c_str(), &st)) != 0) return FailErrno();
    FillInfo(st, info);
    return true;
}

bool CopyLastWrite(const Info& like, Handle file) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(like.writeTime / 1000000000);
    times[1].tv_nsec = static_cast<long>(like.writeTime % 1000000000);
    return ::futimens(file, times) == 0 || FailErrno();
}

bool TakeMarks(Handle file, const std::string&, uint32_t created, const Info& like) {
    if (like.marks && like.marks != created && ::fchmod(file, static_cast<mode_t>(like.marks)) != 0) return FailErrno();
    // Only root may give a file away; anyone else's new files are theirs.
    static const uid_t user = ::geteuid();
    static const gid_t group = ::getegid();
    if (user != 0 || (like.owner == user && like.group == group)) return true;
    if (::fchown(file, static_cast<uid_t>(like.owner), static_cast<gid_t>(like.group)) != 0) return FailErrno();
    // Giving a file away clears its set-id bits; they are put back.
    if ((like.marks & 06000) && ::fchmod(file, static_cast<mode_t>(like.marks)) != 0) return FailErrno();
    return true;
}

namespace {

// An attribute the process may not set (security.* and trusted.* without
// the privilege), or one the file system does not keep, is skipped.
bool Unsettable(int err) { return err == EPERM || err == EACCES || err == EOPNOTSUPP || err == EINVAL; }

// The names of the extended attributes a replaced file hands on: all but
// file capabilities, which grant privileges to the content they were given
// for and which the kernel itself drops when a file is written, and the
// default ACL, which only a folder has.
bool HandedOn(const char* name) {
    return std::strcmp(name, "security.capability") != 0 && std::strcmp(name, "system.posix_acl_default") != 0;
}

// Reads the extended attribute name of the file at path into value, grown
// as needed; false with errno set when it cannot.
bool ReadAttribute(const char* path, const char* name, std::vector<char>& value, ssize_t& size) {
    for (;;) {
        size = GetAttribute(path, name, value.data(), value.size());
        if (size >= 0) return true;
        if (errno != ERANGE) return false;
        const ssize_t needed = GetAttribute(path, name, nullptr, 0);
        if (needed < 0) return false;
        value.resize(static_cast<size_t>(needed) + 1);
    }
}

}  // namespace

bool TakeAttributes(Handle file, const std::string&, const std::string& like) {
    // One call, into a buffer on the stack, tells the names; most files
    // have none, and then nothing more is asked. The path is followed as
    // the marks were (InfoAt).
    char names[1024];
    std::vector<char> moreNames;
    char* list = names;
    ssize_t length = ListAttributes(like.c_str(), names, sizeof names);
    while (length < 0 && errno == ERANGE) {
        const ssize_t needed = ListAttributes(like.c_str(), nullptr, 0);
        if (needed < 0) break;
        moreNames.resize(static_cast<size_t>(needed) + 1);
        list = moreNames.data();
        length = ListAttributes(like.c_str(), list, moreNames.size());
    }
    // A file system without extended attributes, or a file gone meanwhile,
    // has none to hand on.
    if (length <= 0) return length == 0 || errno == EOPNOTSUPP || errno == ENOENT || errno == ENOTDIR || FailErrno();
    // The access control list comes after the permission bits TakeMarks
    // set: a chmod rewrites the list's mask entry.
    std::vector<char> value(256);
    for (const char* name = list; name < list + length; name += std::strlen(name) + 1) {
        if (!HandedOn(name)) continue;
        ssize_t size = 0;
        if (!ReadAttribute(like.c_str(), name, value, size)) {
            if (errno == ENODATA || Unsettable(errno)) continue;  // gone meanwhile, or not for this process
            return FailErrno();
        }
        if (SetAttribute(file, name, value.data(), static_cast<size_t>(size)) != 0 && !Unsettable(errno))
            return FailErrno();
    }
    return true;
}

bool FollowLinks(const std::string& host, std::string& reached) {
    reached = host;
    struct stat st;
    // Nothing there, or a folder on the way that cannot be looked into: the
    // creation of the temporary tells what is wrong.
    if (host.empty() || ::lstat(host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    char* real = ::realpath(host.c_str(), nullptr);
    if (!real) {
        if (errno == ENOENT || errno == ENOTDIR)
            return FailInWords(FileError::NotFound, PlayerWords("it is a link to a missing file"));
        return FailErrno();
    }
    reached = real;
    std::free(real);
    return true;
}

bool FolderMarks(const std::string& folder, Info& marks) {
    struct Kept {
        unsigned generation = 0;
        std::string folder;
        Info marks;
    };
    thread_local Kept kept;
    const unsigned generation = ListingGeneration();
    if (generation != 0 && kept.generation == generation && kept.folder == folder) {
        marks = kept.marks;
        return true;
    }
    struct stat st;
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return FailErrno();
    marks = Info();
    marks.owner = static_cast<uint32_t>(st.st_uid);
    marks.group = static_cast<uint32_t>(st.st_gid);
    kept = Kept{generation, folder, marks};
    return true;
}

uint32_t WritableCopyMarks(uint32_t marks) { return (marks & 0777) | S_IWUSR; }

uint32_t CreatedMarks(uint32_t marks) {
    // The umask, read where the system shows it: setting it to read it back
    // would race with other threads creating files.
    static const int umask = [] {
        unsigned mask = 0;
        bool found = false;
        if (FILE* status = std::fopen("/proc/self/status", "re")) {
            char line[128];
            while (!found && std::fgets(line, sizeof line, status)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
            std::fclose(status);
        }
        return found ? static_cast<int>(mask) : -1;
    }();
    return umask < 0 ? 0 : marks & ~static_cast<uint32_t>(umask);
}

bool Rename(const std::string& from, const std::string& to) {
    const char *fromName = nullptr, *toName = nullptr;
    const int folder = InKeptFolder(from, fromName, false);
    if (folder >= 0 && InKeptFolder(to, toName, false) == folder)
        return ::renameat(folder, fromName, folder, toName) == 0 || FailErrno();
    return ::rename(from.c_str(), to.c_str()) == 0 || FailErrno();
}

bool LinkInfoAt(const std::string& host, Info& info) {
    struct stat st;
    if (host.empty() || ::lstat(host.c_str(), &st) != 0) return FailErrno(host.empty() ? ENOENT : errno);
    FillInfo(st, info);
    info.link = S_ISLNK(st.st_mode);
    return true;
}

bool Unlink(const std::string& host) {
    if (host.empty()) return true;
    const char* name = nullptr;
    const int folder = InKeptFolder(host, name, false);
    if ((folder >= 0 ? ::unlinkat(folder, name, 0) : ::unlink(host.c_str())) == 0) return true;
    return errno == ENOENT || errno == ENOTDIR || FailErrno();
}

bool SyncFolder(const std::string& host) {
    int fd = ::open(host.empty() ? "." : host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FailErrno();
    bool ok = ::fsync(fd) == 0 || FailErrno();
    ::close(fd);
    return ok;
}

Handle LockFolder(const std::string& host, bool& busy) {
    busy = false;
    int fd = ::open(host.empty() ? "." : host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        FailErrno();
        return kNoHandle;
    }
    // flock, not fcntl: an fcntl lock goes when the process closes any
    // descriptor of the file.
    int result;
    do result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) return fd;
    busy = errno == EWOULDBLOCK;
    FailErrno();
    ::close(fd);
    return kNoHandle;
}

void UnlockFolder(Handle lock) { ::close(lock); }

int64_t Now() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::string RealPathOf(Handle file) {
    char path[4096];
    return PathOfOpenFile(file, path) ? std::string(path) : std::string();
}

std::string RealFolderPath(const std::string& host) {
    char* real = ::realpath(host.empty() ? "." : host.c_str(), nullptr);
    if (!real) return std::string();
    std::string path = real;
    std::free(real);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::string();
    return path;
}

bool RealPathInside(const std::string& real, const std::string& folder) {
    if (real.empty() || folder.empty()) return false;
    if (folder == "/") return real.size() > 1 && real[0] == '/';
    return real.size() > folder.size() + 1 && real.compare(0, folder.size(), folder) == 0 && real[folder.size()] == '/';
}

void NoteChange(const std::string& host, bool exists) { posix::NoteChange(host, exists); }

}  // namespace native

std::string ReasonText(FileError error) {
    switch (error) {
        case FileError::None: return std::string();
        case FileError::NotFound: return std::strerror(ENOENT);
        case FileError::AccessDenied: return std::strerror(EACCES);
        case FileError::InUse: return std::strerror(ETXTBSY);
        case FileError::DiskFull: return std::strerror(ENOSPC);
        case FileError::Busy: return std::strerror(EWOULDBLOCK);
        case FileError::Failed: break;
    }
    return std::strerror(EIO);
}

}  // namespace platform
