// The fixture of the tests that run the core or the file layer on real
// folders: a sandbox holding a game folder "Half-Life" that is the core's
// game directory, and a row sink that records what a scan produced.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"
#include "support/files.h"
#include "support/host.h"
#include "support/recording_sink.h"
#include "support/sandbox.h"

namespace fs = std::filesystem;

namespace test {

// A fixed moment: 2024-03-10 12:00:00 UTC.
constexpr time_t kNoon20240310 = 1710072000;
constexpr time_t kDay = 24 * 60 * 60;

// Sets a file's last-write time, failing the test when it cannot.
void SetModified(const fs::path& path, time_t when);

// A file's last-write time in seconds since 1970 UTC; -1 when unknown.
inline time_t Modified(const fs::path& path) { return ModifiedTime(path); }

struct CatalogueEntry {
    std::string name, folder, library;
};

// The first of a lookup's answers, or an empty string when it has none.
inline std::string FirstOf(const std::vector<std::string>& found) { return found.empty() ? "" : found.front(); }

// Rewrites the liblist.gam at path as Install and Remove do, with text and
// each line's own line end in place of every gamedll line. found, when
// given, counts the lines replaced; written the new files put in place.
liblist::RewriteResult RewriteEveryGamedllLine(const char* path, const std::string& text, int* found = nullptr,
                                               int* written = nullptr);

// A sandbox, its folder the working directory, holding a game folder
// "Half-Life" (with an empty package folder "Veldrin") whose path is the
// core's game directory. Afterwards the working directory is the one before,
// no fault is injected and the sandbox is gone.
class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    fs::path Game(const std::string& relative) const { return game_ / relative; }

    void WriteCatalogue(const std::vector<CatalogueEntry>& entries);

    // The package's bot library, written on the given day.
    void WritePackageLibrary(time_t when = kNoon20240310, const std::string& bytes = "MZ veldrin bot v2");

    // A mod folder whose liblist.gam has the given lines (CR LF ends) and,
    // when installedWhen is nonzero, a dlls/veldrin.dll written then.
    void MakeMod(const std::string& folder, const std::string& liblist, time_t installedWhen = 0);

    // The core's trace, Veldrin.log in the working directory.
    std::string Log() const { return ReadBytes(root_ / "Veldrin.log"); }

    fs::path root_;
    fs::path game_;
    fs::path oldCwd_;

private:
    std::unique_ptr<Sandbox> sandbox_;
};

}  // namespace test
