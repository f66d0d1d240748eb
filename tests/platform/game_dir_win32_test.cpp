// The game-directory lookup on Windows, against the real registry and real
// folders: the Half-Life key in the 32-bit view, the package folder to start
// from. Each test removes the keys it wrote.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/game_folder.h"
#include "platform/game_dir.h"
#include "support/game_folder.h"

namespace {

const char kGameKey[] = "Software\\Sierra OnLine\\Setup\\HALFLIFE";

class Win32GameDirTest : public test::GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        DeleteGameKeys();
    }

    void TearDown() override {
        DeleteGameKeys();
        GameFolderTest::TearDown();
    }

    static void DeleteGameKeys() {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kGameKey, view, 0);
    }

    // Writes the value "directory" of the Half-Life key in one registry view.
    static void WriteGameValue(REGSAM view, const std::string& text, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, nullptr, 0, KEY_WRITE | view, nullptr,
                                                 &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "directory", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                                static_cast<DWORD>(text.size() + 1)));
        RegCloseKey(key);
    }
};

TEST_F(Win32GameDirTest, ReadsTheKeyThatA32BitSetUpProgramWrote) {
    WriteGameValue(KEY_WOW64_32KEY, "C:\\Sierra\\Half-Life");
    EXPECT_EQ("C:\\Sierra\\Half-Life", test::FirstOf(platform::RegistryGameDirectories()));
    EXPECT_EQ("C:\\Sierra\\Half-Life", layout::FindGameDirectory()) << "the registry comes first";
}

// The views in the order the Wine registry is read on Linux: the 32-bit
// view, where the game's set-up wrote the key, then the 64-bit view.
TEST_F(Win32GameDirTest, TheKeyOfThe64BitViewComesAfterThe32BitView) {
    WriteGameValue(KEY_WOW64_64KEY, "C:\\Elsewhere");
    EXPECT_EQ("C:\\Elsewhere", test::FirstOf(platform::RegistryGameDirectories()));
    WriteGameValue(KEY_WOW64_32KEY, "C:\\Sierra\\Half-Life");
    EXPECT_EQ((std::vector<std::string>{"C:\\Sierra\\Half-Life", "C:\\Elsewhere"}),
              platform::RegistryGameDirectories());
    // Neither holds the package; the folder the installer runs from does.
    test::WriteBytes(game_ / "Veldrin" / "veldrinins.ini", "Counter-Strike\r\ncstrike\r\nmp\r\n");
    fs::current_path(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), layout::FindGameDirectory());
}

TEST_F(Win32GameDirTest, AValueThatDoesNotFit256BytesIsMissingNotCut) {
    std::string fits = "C:\\" + std::string(252, 'a');  // 255 characters and the zero
    WriteGameValue(KEY_WOW64_32KEY, fits);
    EXPECT_EQ(fits, test::FirstOf(platform::RegistryGameDirectories()));
    WriteGameValue(KEY_WOW64_32KEY, fits + "a");
    EXPECT_EQ("", test::FirstOf(platform::RegistryGameDirectories()));
}

// A folder named in letters of another script: read as it is where the
// ANSI code page holds them (UTF-8, or the script's own code page), and
// otherwise left out and noted with the letters it lacks, never turned
// into look-alikes or question marks that could name another folder.
TEST_F(Win32GameDirTest, AValueTheCodePageCannotHoldIsNotedNotGarbled) {
    for (const std::wstring& name :
         {std::wstring(L"C:\\\u0418\u0433\u0440\u044B\\Half-Life"), std::wstring(L"C:\\\u6E38\u620F\\Half-Life")}) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Sierra OnLine\\Setup\\HALFLIFE", 0,
                                                 nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key, L"directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                                 static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t))));
        RegCloseKey(key);
        const platform::NarrowPath path = platform::NarrowPathOfWide(name);
        SCOPED_TRACE(path.utf8);
        const std::vector<std::string> found = platform::RegistryGameDirectories();
        if (path.unheld.empty()) {
            EXPECT_EQ(path.narrow, test::FirstOf(found));
            wchar_t back[64] = {};
            MultiByteToWideChar(CP_ACP, 0, path.narrow.c_str(), -1, back, 64);
            EXPECT_EQ(name, std::wstring(back)) << "the narrow form names the same folder";
        } else {
            EXPECT_TRUE(found.empty());
            const std::vector<platform::NarrowPath> unheld = platform::UnheldGameDirectories();
            ASSERT_FALSE(unheld.empty());
            EXPECT_EQ(path.utf8, unheld.back().utf8);
            EXPECT_EQ(path.utf8.substr(3, path.utf8.find('\\', 3) - 3), unheld.back().unheld);
        }
    }
}

TEST_F(Win32GameDirTest, AValueOfAnotherTypeIsMissing) {
    WriteGameValue(KEY_WOW64_32KEY, "C:\\Sierra\\Half-Life", REG_BINARY);
    EXPECT_EQ("", test::FirstOf(platform::RegistryGameDirectories()));
}

TEST_F(Win32GameDirTest, WithoutTheKeyThePackageFolderNamesTheGame) {
    test::WriteBytes(game_ / "Veldrin" / "veldrinins.ini", "Counter-Strike\r\ncstrike\r\nmp\r\n");
    EXPECT_EQ("", test::FirstOf(platform::RegistryGameDirectories()));
    EXPECT_EQ(game_.string(), layout::GameDirectoryAbovePackage((game_ / "Veldrin").string()));
    EXPECT_EQ(game_.string(), layout::GameDirectoryAbovePackage((game_ / "Veldrin").string() + "\\"));
    EXPECT_EQ(game_.string(), layout::GameDirectoryAbovePackage(game_.string() + "/VELDRIN"));
    EXPECT_EQ("", layout::GameDirectoryAbovePackage(game_.string())) << "not a package folder";
    fs::current_path(game_ / "Veldrin");
    EXPECT_EQ(game_.string(), layout::FindGameDirectory());
}

TEST_F(Win32GameDirTest, TheProgramsFolderHoldsTheProgram) {
    std::string dir = platform::ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(fs::exists(fs::path(dir) / "veldrin_game_dir_tests.exe")) << dir;
}

}  // namespace
