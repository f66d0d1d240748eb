// The tests' host services on Windows.
#include "support/host.h"

#include <windows.h>

#include <cstdlib>
#include <random>

namespace test {

bool HostIsWindows() { return true; }

namespace {

// Seconds from 1601 (FILETIME's start) to 1970, and FILETIME's ticks a second.
constexpr long long kEpochDifference = 11644473600LL;
constexpr long long kTicksPerSecond = 10000000LL;

HANDLE OpenForTimes(const std::filesystem::path& path, DWORD access) {
    // FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened as well.
    return CreateFileW(path.wstring().c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

std::filesystem::path MakeTempFolder(const std::string& prefix, const std::filesystem::path& parent) {
    std::random_device random;
    std::error_code ec;
    const std::filesystem::path base = parent.empty() ? std::filesystem::temp_directory_path(ec) : parent;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = base / (prefix + std::to_string(random()));
        if (std::filesystem::create_directory(candidate, ec)) return candidate;
    }
    return {};
}

void SetEnv(const char* name, const char* value) { _putenv_s(name, value); }

void UnsetEnv(const char* name) { _putenv_s(name, ""); }

bool SetModifiedTime(const std::filesystem::path& path, time_t when) {
    HANDLE file = OpenForTimes(path, FILE_WRITE_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) return false;
    long long ticks = (static_cast<long long>(when) + kEpochDifference) * kTicksPerSecond;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    bool ok = SetFileTime(file, nullptr, &time, &time) != 0;
    CloseHandle(file);
    return ok;
}

time_t ModifiedTime(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.wstring().c_str(), GetFileExInfoStandard, &data)) return -1;
    long long ticks =
        (static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    return static_cast<time_t>(ticks / kTicksPerSecond - kEpochDifference);
}

// The zone that Windows programs see is the system's; the Windows test run
// sets it for the whole suite (see tests/CMakeLists.txt).
ScopedTimeZone::ScopedTimeZone(const char*) {}
ScopedTimeZone::~ScopedTimeZone() = default;

void SetUnusualMarks(const std::filesystem::path& path) {
    SetFileAttributesW(path.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN);
}

std::string Marks(const std::filesystem::path& path) {
    DWORD attributes = GetFileAttributesW(path.wstring().c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "missing";
    std::string text = "attributes";
    if (attributes & FILE_ATTRIBUTE_READONLY) text += " read-only";
    if (attributes & FILE_ATTRIBUTE_HIDDEN) text += " hidden";
    if (attributes & FILE_ATTRIBUTE_SYSTEM) text += " system";
    return text;
}

std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(file, [](void* held) { CloseHandle(held); });
}

}  // namespace test
