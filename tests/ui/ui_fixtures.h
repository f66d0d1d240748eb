// What the dialog and game-directory tests share: a real temporary folder per
// test, holding the game folder "Half-Life", with HOME and WINEPREFIX pointed
// inside it so that nothing of the machine's own is read.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/installer_core.h"
#include "test_os.h"

namespace fs = std::filesystem;

namespace uitest {

// 2024-03-10 12:00:00 UTC.
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

inline void SetModified(const fs::path& path, time_t when) { ASSERT_TRUE(test::SetModifiedTime(path, when)) << path; }

// "a\nb\n" as a Windows editor saves it: "a\r\nb\r\n".
inline std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class TempGameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = test::MakeTempFolder("veldrin-ui-test-");
        ASSERT_FALSE(root_.empty());
        game_ = root_ / "Half-Life";
        fs::create_directories(game_ / "Veldrin");
        oldCwd_ = fs::current_path();
        fs::current_path(root_);
        test::SetEnv("HOME", root_.string().c_str());
        test::SetEnv("WINEPREFIX", (root_ / "wine").string().c_str());
        std::memset(g_szGameDir, 0, sizeof g_szGameDir);
    }

    void TearDown() override {
        fs::current_path(oldCwd_);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_, game_, oldCwd_;
};

}  // namespace uitest
