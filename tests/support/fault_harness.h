// What the fault table's cases share: snapshots of folders to compare, the
// check that a mod still loads, an outcome in one line to hand from a child
// process to its parent, and the child process a case runs in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "core/installer_core.h"

namespace test {

namespace fs = std::filesystem;

struct FileState {
    uintmax_t size = 0;
    int64_t modified = 0;
    unsigned perms = 0;
    std::string bytes;  // small files only
    bool operator==(const FileState& o) const {
        return size == o.size && modified == o.modified && perms == o.perms && bytes == o.bytes;
    }
};
using Snapshot = std::map<std::string, FileState>;

// Every file and folder under dir, except the subtree skip.
Snapshot Take(const fs::path& dir, const fs::path& skip = {});

// The path a gamedll line loads, relative to the mod folder: the quoted value
// (or the rest of the line), as the engine reads it. Empty when the row is no
// gamedll row.
std::string GamedllValue(const std::string& row);

// True when the mod's liblist.gam has a gamedll line and every gamedll line
// names a library that is there.
bool Loadable(const fs::path& mod);

// A change's outcome in one line, for the table and for a child to hand to
// its parent; Parse reads it back.
std::string Describe(const ChangeOutcome& o);
ChangeOutcome Parse(const std::string& text);

// The bytes of a literal, NULs included.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// What a child process that ran a case showed.
struct ChildRun {
    double seconds = 0;
    long peakKb = 0;             // its peak memory, less what a child that does nothing takes
    bool endedNormally = false;  // it exited with status 0, within the time limit
    bool timedOut = false;
    std::string lastReport;  // the last line it wrote to its report pipe
};

#if !defined(_WIN32)
// Runs work in a child process, handing it the pipe to report on; kills it
// after timeLimitSeconds. Returns what the child showed.
ChildRun RunInChild(const std::function<void(int reportFd)>& work, int timeLimitSeconds);
#endif

}  // namespace test
