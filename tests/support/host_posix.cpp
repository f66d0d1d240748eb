// The tests' host services on POSIX.
#include "support/host.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace test {

bool HostIsWindows() { return false; }

std::filesystem::path MakeTempFolder(const std::string& prefix, const std::filesystem::path& parent) {
    std::error_code ec;
    const std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path(ec) : parent;
    std::string pattern = (base / (prefix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) return {};
    return buffer.data();
}

void SetEnv(const char* name, const char* value) { ::setenv(name, value, 1); }

void UnsetEnv(const char* name) { ::unsetenv(name); }

bool SetModifiedTime(const std::filesystem::path& path, time_t when) {
    struct timespec times[2] = {{when, 0}, {when, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

time_t ModifiedTime(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    ::unsetenv("TZ");
    ::tzset();
}

void SetUnusualMarks(const std::filesystem::path& path) { ::chmod(path.c_str(), 0604); }

std::string Marks(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "missing";
    char text[16];
    std::snprintf(text, sizeof text, "mode %04o", static_cast<unsigned>(st.st_mode & 07777));
    return text;
}

std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path&) { return nullptr; }

}  // namespace test
