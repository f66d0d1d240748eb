// Paths on Windows are the system's own: the file system matches names
// ignoring case and takes both separators and drive letters itself.
#include "platform/path.h"
#include "platform/native_file.h"

#include <windows.h>

namespace platform {

namespace {

FileDate DateOf(const FILETIME& lastWrite) {
    return native::DateOf(
        static_cast<int64_t>((static_cast<uint64_t>(lastWrite.dwHighDateTime) << 32) | lastWrite.dwLowDateTime));
}

DWORD Attributes(const char* path) { return path && *path ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES; }

}  // namespace

std::string ResolvePath(const char* path) { return path ? path : ""; }

std::string ResolvePath(const char* path, bool& exists) {
    exists = true;  // not known without a look
    return ResolvePath(path);
}

bool PathExists(const char* path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const char* path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct FindHandle {
    HANDLE search;
};

FindHandle* FindFirst(const char* pattern, FindData& data, bool) {
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

}  // namespace platform
