#include "support/files.h"

#include <fstream>
#include <iterator>

#include "platform/file_system.h"

namespace test {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const uint8_t* data, size_t size) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    WriteBytes(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Crlf(const std::string& text) { return platform::TextModeBytes(text); }

std::string Narrow(const fs::path& path) { return path.string(); }

bool TempFilesLeft(const fs::path& dir) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->path().filename().string().rfind("~veldrin-", 0) == 0) return true;
    return false;
}

std::vector<std::string> SearchNames(const std::string& pattern) {
    std::vector<std::string> names;
    platform::FindData data;
    platform::FindHandle* search = platform::FindFirst(pattern.c_str(), data);
    if (!search) return names;
    do names.push_back(data.name);
    while (platform::FindNext(search, data));
    platform::FindEnd(search);
    return names;
}

}  // namespace test
