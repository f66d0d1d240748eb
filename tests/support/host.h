// The few services of the host that the tests need beyond the standard
// library: environment variables, time zones, file times and the marks a
// file carries besides its content. One implementation per OS
// (host_posix.cpp, host_win32.cpp), chosen in CMake.
#pragma once

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace test {

// True on Windows, where the platform's own services stand in for what the
// POSIX layer emulates (the registry, drive letters).
bool HostIsWindows();

// A new, empty folder inside parent, or inside the system's temporary folder
// when parent is empty, named prefix and a few random characters. Returns an
// empty path when no folder could be made.
std::filesystem::path MakeTempFolder(const std::string& prefix, const std::filesystem::path& parent = {});

// Sets or removes a variable of the process's environment.
void SetEnv(const char* name, const char* value);
void UnsetEnv(const char* name);

// Sets a file's last-write (and last-access) time, in seconds since 1970 UTC;
// false on failure.
bool SetModifiedTime(const std::filesystem::path& path, time_t when);

// A file's last-write time in seconds since 1970 UTC; -1 when unknown.
time_t ModifiedTime(const std::filesystem::path& path);

// Puts the process in a time zone far from UTC for its lifetime, so that a
// local-time slip shows as a different day. Where the zone is the system's
// and cannot be set from inside (Windows), the test run sets it instead.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
};

// Gives a file a mark that a plain new file does not have (POSIX: an unusual
// set of permission bits; Windows: the hidden attribute), and describes a
// file's marks, so a test can tell whether a replaced file kept them.
void SetUnusualMarks(const std::filesystem::path& path);
std::string Marks(const std::filesystem::path& path);

// Gives a file what a replace must keep besides its marks, and describes
// it, so a test can tell whether a replaced file kept it. POSIX: the
// extended attribute user.veldrin-test and an access control list entry
// that lets user 4321 read and write; Windows: an entry of the file's own
// in its access control list that lets the Guests group read and write.
// Returns why not when the file system (or the host) refuses them, empty
// when they were given.
std::string GiveAccessExtras(const std::filesystem::path& path);
std::string AccessExtras(const std::filesystem::path& path);

// Holds a file open, shared with nobody, as a running game holds its library,
// until the returned holder is reset; null when it could not be opened. POSIX
// has no such hold: there it holds nothing and returns null.
std::shared_ptr<void> HoldWithoutSharing(const std::filesystem::path& path);

}  // namespace test
