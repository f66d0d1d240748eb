// The file layer on Windows: the Win32 calls and the C runtime's text mode
// themselves, which give the installer the behaviour it was written for.
#include "platform/file_system.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace platform {

namespace {

FileDate DateOf(const FILETIME& lastWrite) {
    // FileTimeToSystemTime gives the calendar time in UTC; no conversion to
    // local time is made.
    SYSTEMTIME utc{};
    FileDate date;
    if (FileTimeToSystemTime(&lastWrite, &utc)) {
        date.year = utc.wYear;
        date.month = utc.wMonth;
        date.day = utc.wDay;
    }
    return date;
}

FileError ErrorOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_NAME: return FileError::NotFound;
        case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return FileError::AccessDenied;
        case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: case ERROR_USER_MAPPED_FILE: return FileError::InUse;
        case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return FileError::DiskFull;
        default: return FileError::Failed;
    }
}

std::string MessageOf(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text),
                             0, nullptr);
    std::string message = n && text ? std::string(text, n) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

// Records the system's last error (or code) as this thread's last failure;
// returns false for the caller to pass on.
bool Fail(DWORD code = GetLastError()) {
    SetLastFailure(ErrorOf(code), MessageOf(code));
    return false;
}

bool FailReadOnly() {
    SetLastFailure(FileError::AccessDenied, "the file is read-only");
    return false;
}

DWORD Attributes(const char* path) { return GetFileAttributesA(path); }

bool Exists(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(DWORD attributes) { return Exists(attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY); }

// Windows refuses to write, replace or delete a read-only file, even for an
// administrator. Wine run as root lets root through, as POSIX does, so the
// layer asks first and refuses the same way everywhere.
bool IsReadOnlyFile(const char* path) {
    DWORD attributes = Attributes(path);
    return Exists(attributes) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY);
}

class Win32TextFile final : public TextFile {
public:
    Win32TextFile(FILE* file, std::string path, char mode) : file_(file), path_(std::move(path)), mode_(mode) {}
    ~Win32TextFile() override { Close(); }

    bool ReadRow(char* buffer, int limit) override {
        if (!file_ || limit <= 0) return false;
        if (FaultInjected(FileOp::Read, path_.c_str())) {
            readError_ = true;
            buffer[0] = '\0';
            return false;
        }
        // The runtime's text mode turns CR LF into LF and ends at Ctrl-Z.
        if (!std::fgets(buffer, limit, file_)) {
            if (std::ferror(file_)) readError_ = true;
            buffer[0] = '\0';
            return false;
        }
        return buffer[0] != '\0';
    }

    bool ReadFailed() const override { return readError_; }

    bool Write(const char* text, size_t length) override {
        if (!file_ || failed_) return false;
        if (FaultInjected(FileOp::Write, path_.c_str())) {
            failed_ = true;
            return false;
        }
        // The runtime's text mode writes LF as CR LF.
        if (length && std::fwrite(text, 1, length, file_) != length) failed_ = true;
        return !failed_;
    }

    bool Close() override {
        if (!file_) return closeResult_;
        bool ok = !failed_;
        if (mode_ != 'r') {
            if (std::fflush(file_) != 0) ok = false;
            // A rewritten file must be on disk before it replaces another.
            if (mode_ == 'w' && _commit(_fileno(file_)) != 0) ok = false;
        }
        if (std::fclose(file_) != 0) ok = false;
        file_ = nullptr;
        if (mode_ != 'r' && FaultInjected(FileOp::Close, path_.c_str())) ok = false;
        closeResult_ = ok;
        return ok;
    }

private:
    FILE* file_;
    std::string path_;
    char mode_;
    bool failed_ = false;
    bool readError_ = false;
    bool closeResult_ = true;
};

}  // namespace

std::string ResolvePath(const char* path) { return path ? path : ""; }

bool PathExists(const char* path) { return Exists(Attributes(path)); }

bool IsDirectory(const char* path) { return IsFolder(Attributes(path)); }

std::unique_ptr<TextFile> TextFile::Open(const char* path, const char* mode) {
    char m = mode ? mode[0] : '\0';
    if (m != 'r' && m != 'w' && m != 'a') return nullptr;
    if (FaultInjected(m == 'r' ? FileOp::OpenRead : FileOp::OpenWrite, path)) return nullptr;
    if (m != 'r' && IsReadOnlyFile(path)) {
        FailReadOnly();
        return nullptr;
    }
    const char textMode[2] = {m, '\0'};
    FILE* f = std::fopen(path, textMode);
    if (!f) {
        Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_GEN_FAILURE);
        return nullptr;
    }
    return std::unique_ptr<TextFile>(new Win32TextFile(f, path, m));
}

struct FindHandle {
    HANDLE search;
};

FindHandle* FindFirst(const char* pattern, FindData& data) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return nullptr;
    data.name = found.cFileName;
    data.lastWrite = DateOf(found.ftLastWriteTime);
    return new FindHandle{search};
}

bool FindNext(FindHandle* search, FindData& data) {
    if (!search) return false;
    WIN32_FIND_DATAA found;
    if (!FindNextFileA(search->search, &found)) return false;
    data.name = found.cFileName;
    data.lastWrite = DateOf(found.ftLastWriteTime);
    return true;
}

void FindEnd(FindHandle* search) {
    if (!search) return;
    FindClose(search->search);
    delete search;
}

bool CopyOver(const char* source, const char* target) {
    if (FaultInjected(FileOp::Copy, target)) return false;
    // Fail-if-exists false: an existing target is overwritten, and the copy
    // takes the source's last-write time.
    if (IsReadOnlyFile(target)) return FailReadOnly();
    return CopyFileA(source, target, FALSE) != 0 || Fail();
}

bool RemoveFile(const char* path) {
    if (FaultInjected(FileOp::Remove, path)) return false;
    if (IsReadOnlyFile(path)) return FailReadOnly();
    if (DeleteFileA(path)) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || Fail(error);
}

bool RenameOver(const char* from, const char* target) {
    if (FaultInjected(FileOp::Rename, target)) return false;
    DWORD kept = Attributes(target);
    if (Exists(kept)) {
        if (kept & FILE_ATTRIBUTE_DIRECTORY) return Fail(ERROR_ACCESS_DENIED);
        if (kept & FILE_ATTRIBUTE_READONLY) return FailReadOnly();
        // The replacement takes the attributes the old file had (hidden,
        // system, archive, ...).
        const DWORD copied = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (!SetFileAttributesA(from, (kept & copied) ? (kept & copied) : FILE_ATTRIBUTE_NORMAL)) return Fail();
    }
    return MoveFileExA(from, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 || Fail();
}

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
