// The tests' host services on POSIX.
#include "support/host.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

namespace {

// An access control list as the kernel keeps it in system.posix_acl_access:
// version 2, then each entry's tag, permissions and id, little-endian.
constexpr uint32_t kAclVersion = 2;
constexpr uint32_t kNoId = 0xFFFFFFFF;
struct AclEntry {
    uint16_t tag;
    uint16_t perm;
    uint32_t id;
};

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLittleEndian(const std::string& in, size_t at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + i]);
    return value;
}

std::string Attribute(const std::filesystem::path& path, const char* name) {
    char value[1024];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("none") : std::string(value, static_cast<size_t>(n));
}

}  // namespace

std::string GiveAccessExtras(const std::filesystem::path& path) {
    if (::setxattr(path.c_str(), "user.veldrin-test", "kept", 4, 0) != 0)
        return std::string("user extended attributes refused: ") + std::strerror(errno);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::strerror(errno);
    const uint16_t mode = static_cast<uint16_t>(st.st_mode);
    // Owner, user 4321, owning group, mask, others, in the order of the tags.
    const AclEntry entries[] = {{0x01, static_cast<uint16_t>((mode >> 6) & 7), kNoId},
                                {0x02, 6, 4321},
                                {0x04, static_cast<uint16_t>((mode >> 3) & 7), kNoId},
                                {0x10, static_cast<uint16_t>(6 | ((mode >> 3) & 7)), kNoId},
                                {0x20, static_cast<uint16_t>(mode & 7), kNoId}};
    std::string acl;
    PutLittleEndian(acl, kAclVersion, 4);
    for (const AclEntry& entry : entries) {
        PutLittleEndian(acl, entry.tag, 2);
        PutLittleEndian(acl, entry.perm, 2);
        PutLittleEndian(acl, entry.id, 4);
    }
    if (::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
        return std::string("access control lists refused: ") + std::strerror(errno);
    return std::string();
}

std::string AccessExtras(const std::filesystem::path& path) {
    std::string text = "user.veldrin-test=" + Attribute(path, "user.veldrin-test") + " acl=";
    const std::string acl = Attribute(path, "system.posix_acl_access");
    if (acl == "none" || acl.size() < 4 || GetLittleEndian(acl, 0, 4) != kAclVersion) return text + "none";
    for (size_t at = 4; at + 8 <= acl.size(); at += 8) {
        const uint32_t tag = GetLittleEndian(acl, at, 2), perm = GetLittleEndian(acl, at + 2, 2);
        const uint32_t id = GetLittleEndian(acl, at + 4, 4);
        const char* kind = tag == 0x01 || tag == 0x02   ? "u"
                           : tag == 0x04 || tag == 0x08 ? "g"
                           : tag == 0x10                ? "m"
                                                        : "o";
        text += std::string(at > 4 ? "," : "") + kind + ":" + (id == kNoId ? "" : std::to_string(id)) + ":" +
                (perm & 4 ? "r" : "-") + (perm & 2 ? "w" : "-") + (perm & 1 ? "x" : "-");
    }
    struct stat st {};
    ::stat(path.c_str(), &st);
    char mode[16];
    std::snprintf(mode, sizeof mode, " mode %04o", static_cast<unsigned>(st.st_mode & 07777));
    return text + mode;
}

std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path&) { return nullptr; }

}  // namespace test
