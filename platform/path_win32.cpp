// Paths on Windows are the system's own: the file system matches names
// ignoring case and takes both separators and drive letters itself.
#include "platform/path.h"
#include "platform/native_file.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/wildcard.h"

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

std::string SpelledOnDisk(const char* path) {
    std::string text = path ? path : "";
    for (char& c : text)
        if (c == '/') c = '\\';
    // The root ("C:\\", "\\\\server\\share\\") is taken as written; each
    // component after it as the folder that holds it lists it.
    size_t start = text.size() > 2 && text[1] == ':' && text[2] == '\\' ? 3 : 0;
    if (text.compare(0, 2, "\\\\") == 0) {
        start = text.find('\\', 2);
        start = start == std::string::npos ? text.size() : text.find('\\', start + 1);
        start = start == std::string::npos ? text.size() : start + 1;
    }
    while (start < text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find_first_of("*?") != std::string::npos) break;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(text.substr(0, end).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) break;
        FindClose(search);
        if (std::strlen(found.cFileName) == part.size()) text.replace(start, part.size(), found.cFileName);
        start = end + 1;
    }
    return text;
}

bool PathExists(const char* path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const char* path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct FindHandle {
    std::vector<std::string> names;
    std::unordered_map<std::string, FileDate> dates;
    size_t next = 0;
};

FindHandle* FindFirst(const char* pattern, FindData& data, bool) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return nullptr;
    // The system lists a folder in the order its disk keeps it (FAT: as the
    // files were made); the matches are put in the order the header promises.
    auto handle = std::make_unique<FindHandle>();
    do {
        handle->names.emplace_back(found.cFileName);
        handle->dates[found.cFileName] = DateOf(found.ftLastWriteTime);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    SortInSearchOrder(handle->names);
    return FindNext(handle.get(), data) ? handle.release() : nullptr;
}

bool FindNext(FindHandle* search, FindData& data) {
    if (!search || search->next >= search->names.size()) return false;
    data.name = search->names[search->next++];
    data.lastWrite = search->dates[data.name];
    return true;
}

void FindEnd(FindHandle* search) { delete search; }

}  // namespace platform
