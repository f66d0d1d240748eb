// The file layer on Windows: the Win32 calls and the C runtime's text mode
// themselves, which give the installer the behaviour it was written for.
#include "platform/file_system.h"

#include <windows.h>

#include <io.h>

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
    if (m != 'r' && IsReadOnlyFile(path)) return nullptr;
    const char textMode[2] = {m, '\0'};
    FILE* f = std::fopen(path, textMode);
    if (!f) return nullptr;
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
    if (IsReadOnlyFile(target)) return false;
    return CopyFileA(source, target, FALSE) != 0;
}

bool RemoveFile(const char* path) {
    if (FaultInjected(FileOp::Remove, path)) return false;
    if (IsReadOnlyFile(path)) return false;
    if (DeleteFileA(path)) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool RenameOver(const char* from, const char* target) {
    if (FaultInjected(FileOp::Rename, target)) return false;
    DWORD kept = Attributes(target);
    if (Exists(kept)) {
        if (kept & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
        // The replacement takes the attributes the old file had (hidden,
        // system, archive, ...).
        const DWORD copied = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (!SetFileAttributesA(from, (kept & copied) ? (kept & copied) : FILE_ATTRIBUTE_NORMAL)) return false;
    }
    return MoveFileExA(from, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
