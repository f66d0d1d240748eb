// Test fixtures: a real temporary game folder, made fresh for each test and
// removed afterwards, and a row sink that records what a scan produced.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/installer_core.h"
#include "platform/file_system.h"
#include "test_os.h"

namespace fs = std::filesystem;

namespace test {

// A fixed moment: 2024-03-10 12:00:00 UTC.
constexpr time_t kNoon20240310 = 1710072000;
constexpr time_t kDay = 24 * 60 * 60;

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline void SetModified(const fs::path& path, time_t when) { ASSERT_TRUE(SetModifiedTime(path, when)) << path; }

inline time_t Modified(const fs::path& path) { return ModifiedTime(path); }

// A path as the core takes it: narrow text, whatever the host's own path type.
inline std::string Narrow(const fs::path& path) { return path.string(); }

// Turns "a\nb\n" into "a\r\nb\r\n", as a Windows editor would have saved it.
inline std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// True when a temporary file of the file layer ("~" and letters, beside
// the file it was to replace) is left anywhere under dir.
inline bool TempFilesLeft(const fs::path& dir) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->path().filename().string().rfind('~', 0) == 0) return true;
    return false;
}

struct CatalogueEntry {
    std::string name, folder, library;
};

class RecordingSink : public ModRowSink {
public:
    struct Row {
        std::string name;
        int32_t data = -1;
        std::string status;
    };
    std::vector<Row> rows;
    int clears = 0;

    void ClearModRows() override {
        rows.clear();
        ++clears;
    }
    void InsertModRow(int row, const std::string& name) override { rows.insert(rows.begin() + row, Row{name, -1, ""}); }
    void SetModRowData(int row, int32_t itemData) override { rows.at(static_cast<size_t>(row)).data = itemData; }
    void SetModRowStatus(int row, const std::string& statusText) override {
        rows.at(static_cast<size_t>(row)).status = statusText;
    }

    // The row showing the mod of a slot, or null.
    const Row* ForSlot(int slot) const {
        for (const Row& r : rows)
            if (r.data % 100 == slot) return &r;
        return nullptr;
    }
};

// A temporary working directory holding a game folder "Half-Life" whose path
// is the core's game directory. HOME and WINEPREFIX point inside it so that
// nothing of the machine's own is read.
class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = MakeTempFolder("veldrin-test-");
        ASSERT_FALSE(root_.empty());
        game_ = root_ / "Half-Life";
        fs::create_directories(game_ / "Veldrin");
        oldCwd_ = fs::current_path();
        fs::current_path(root_);
        SetEnv("HOME", Narrow(root_).c_str());
        SetEnv("WINEPREFIX", Narrow(root_ / "wine").c_str());
        std::strcpy(g_szGameDir, Narrow(game_).c_str());
    }

    void TearDown() override {
        platform::SetFaultHook({});
        fs::current_path(oldCwd_);
        // Read-only files and folders go too (Windows refuses to delete them).
        std::error_code ec;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            std::error_code ignored;
            if (!it->is_symlink(ignored))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
        fs::remove_all(root_, ec);
    }

    fs::path Game(const std::string& relative) const { return game_ / relative; }

    void WriteCatalogue(const std::vector<CatalogueEntry>& entries) {
        std::string text;
        for (const auto& e : entries) text += e.name + "\n" + e.folder + "\n" + e.library + "\n";
        WriteBytes(Game("Veldrin/veldrinins.ini"), Crlf(text));
    }

    // The package's bot library, written on the given day.
    void WritePackageLibrary(time_t when = kNoon20240310, const std::string& bytes = "MZ veldrin bot v2") {
        WriteBytes(Game("Veldrin/veldrin.dll"), bytes);
        SetModified(Game("Veldrin/veldrin.dll"), when);
    }

    // A mod folder whose liblist.gam has the given lines (CR LF ends) and,
    // when installedWhen is nonzero, a dlls/veldrin.dll written then.
    void MakeMod(const std::string& folder, const std::string& liblist, time_t installedWhen = 0) {
        WriteBytes(Game(folder + "/liblist.gam"), Crlf(liblist));
        fs::create_directories(Game(folder + "/dlls"));
        if (installedWhen) {
            WriteBytes(Game(folder + "/dlls/veldrin.dll"), "MZ veldrin bot v1");
            SetModified(Game(folder + "/dlls/veldrin.dll"), installedWhen);
        }
    }

    std::string Log() const { return ReadBytes(root_ / "Veldrin.log"); }

    fs::path root_;
    fs::path game_;
    fs::path oldCwd_;
};

}  // namespace test
