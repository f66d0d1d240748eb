// The tests' host services on Windows.
#include "support/host.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
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

std::string GiveAccessExtras(const std::filesystem::path& path) {
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD code = GetNamedSecurityInfoW(path.wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                       nullptr, &old, nullptr, &descriptor);
    if (code != ERROR_SUCCESS) return "the access control list cannot be read: error " + std::to_string(code);
    PSID guests = nullptr;
    if (!ConvertStringSidToSidW(L"S-1-5-32-546", &guests)) {
        LocalFree(descriptor);
        return "no Guests group";
    }
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE;
    access.grfAccessMode = GRANT_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(guests);
    PACL acl = nullptr;
    code = SetEntriesInAclW(1, &access, old, &acl);
    if (code == ERROR_SUCCESS) {
        std::wstring wide = path.wstring();
        code =
            SetNamedSecurityInfoW(&wide[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
        LocalFree(acl);
    }
    LocalFree(guests);
    LocalFree(descriptor);
    if (code != ERROR_SUCCESS) return "the access control list cannot be set: error " + std::to_string(code);
    return AccessExtras(path).find("S-1-5-32-546") == std::string::npos ? "the entry set is not kept" : "";
}

std::string AccessExtras(const std::filesystem::path& path) {
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return "unreadable";
    // The entries of the file's own: those inherited come from its folder.
    std::string text = "own entries:";
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || (ace->Header.AceFlags & INHERITED_ACE)) continue;
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE && ace->Header.AceType != ACCESS_DENIED_ACE_TYPE) continue;
        char* sid = nullptr;
        if (!ConvertSidToStringSidA(&ace->SidStart, &sid)) continue;
        char mask[16];
        std::snprintf(mask, sizeof mask, "%08lx", static_cast<unsigned long>(ace->Mask));
        text +=
            std::string(" ") + (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow " : "deny ") + sid + " " + mask;
        LocalFree(sid);
    }
    LocalFree(descriptor);
    return text;
}

std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path& path) {
    HANDLE file =
        CreateFileW(path.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(file, [](void* held) { CloseHandle(held); });
}

}  // namespace test
