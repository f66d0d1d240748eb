// Paths, date stamps and the trace file.
#include "core/paths.h"

#include "support/game_folder.h"

#include <algorithm>

namespace {

class LayoutTest : public test::GameFolderTest {};

TEST_F(LayoutTest, ComposePathRefusesWhatDoesNotFit) {
    layout::PathBuffer buffer;
    std::string folder(255 - std::strlen(g_szGameDir) - 1, 'f');
    EXPECT_TRUE(layout::ComposePath(buffer, "%s\\%s", g_szGameDir, folder.c_str()));
    EXPECT_EQ(255u, std::strlen(buffer));
    folder += 'f';
    EXPECT_FALSE(layout::ComposePath(buffer, "%s\\%s", g_szGameDir, folder.c_str()));
    EXPECT_STREQ("", buffer);
}

TEST_F(LayoutTest, PlainFolderNames) {
    EXPECT_TRUE(layout::IsPlainName("cstrike"));
    EXPECT_TRUE(layout::IsPlainName("my mod..v2"));
    for (const char* bad : {"", ".", "..", "..\\..\\Windows", "a/b", "C:", "x\\y"})
        EXPECT_FALSE(layout::IsPlainName(bad)) << bad;
}

// A path a message names: from the game folder, with the host's separators
// (Steam writes its folders with slashes on Windows too), and on a
// case-sensitive disk as the disk spells it, not as it was composed.
TEST_F(LayoutTest, PathsForThePlayer) {
    test::WriteBytes(Game("CStrike/DLLs/veldrin.dll"), "bot");
    const std::string game = g_szGameDir;
    // Each existing folder as the disk spells it, the host's separators, on
    // either host; a missing name as given.
    const std::string sep = test::HostIsWindows() ? "\\" : "/";
    EXPECT_EQ("CStrike" + sep + "DLLs" + sep + "veldrin.dll",
              layout::ForPlayer((game + "\\cstrike/dlls\\veldrin.dll").c_str()));
    EXPECT_EQ("CStrike" + sep + "DLLs" + sep + "gone.dll", layout::ForPlayerInMod("cstrike", "dlls\\gone.dll"));
    if (test::HostIsWindows()) {
        EXPECT_EQ("C:\\Program Files (x86)\\Steam\\steamapps",
                  layout::ForPlayer("C:/Program Files (x86)/Steam/steamapps"));
    } else {
        EXPECT_EQ("a/b", layout::ForPlayer("a\\b"));
    }
}

TEST_F(LayoutTest, StampIsTheUtcDayOfTheLastWrite) {
    WritePackageLibrary(test::kNoon20240310);
    InstallerCore core;
    core.StampSourceLibrary();
    EXPECT_EQ(20240310, core.m_nSourceDate);
    EXPECT_EQ(std::string(g_szGameDir) + "\\veldrin\\veldrin.dll", core.m_strSourceDll);

    // 23:59:59 and 00:00:00 UTC fall on two days, whatever the local zone.
    test::ScopedTimeZone zone("Pacific/Auckland");
    test::WriteBytes(Game("a.dll"), "a");
    test::SetModified(Game("a.dll"), test::kNoon20240310 + 12 * 3600 - 1);
    EXPECT_EQ(20240310, DateStampOfFile(Game("a.dll").string().c_str()));
    test::SetModified(Game("a.dll"), test::kNoon20240310 + 12 * 3600);
    EXPECT_EQ(20240311, DateStampOfFile(Game("a.dll").string().c_str()));
}

TEST_F(LayoutTest, MissingLibraryStampsZero) {
    InstallerCore core;
    core.StampSourceLibrary();
    EXPECT_EQ(0, core.m_nSourceDate);
    EXPECT_EQ(0, DateStampOfFile(Game("nothing.dll").string().c_str()));
}

TEST_F(LayoutTest, TraceAppendsOneMessagePerCallWithCrLf) {
    InstallerCore core;
    core.WriteLog("first %d\n", 1);
    core.WriteLog("%s and %s\n", "two", "three");
    EXPECT_EQ("first 1\r\ntwo and three\r\n", Log());
    core.WriteLog("%s\n", std::string(2000, 'l').c_str());
    EXPECT_EQ(std::string("first 1\r\ntwo and three\r\n") + std::string(2000, 'l') + "\r\n", Log());
}

TEST_F(LayoutTest, NextFileEnumeratesAndClosesAtTheEnd) {
    test::WriteBytes(Game("Veldrin/valve/b.vwp"), "b");
    test::WriteBytes(Game("Veldrin/valve/A.vwp"), "a");
    std::string pattern = std::string(g_szGameDir) + "\\Veldrin\\valve\\*.vwp";
    // The order is the file system's: compared as a set.
    std::vector<std::string> names;
    std::string name;
    platform::FindHandle* search = layout::NextFile(nullptr, name, pattern.c_str());
    ASSERT_NE(nullptr, search);
    names.push_back(name);
    search = layout::NextFile(search, name, pattern.c_str());
    ASSERT_NE(nullptr, search);
    names.push_back(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"A.vwp", "b.vwp"}), names);
    EXPECT_EQ(nullptr, layout::NextFile(search, name, pattern.c_str()));
    EXPECT_EQ("", name);
    EXPECT_EQ(nullptr, layout::NextFile(nullptr, name, (std::string(g_szGameDir) + "\\none\\*.vwp").c_str()));
}

}  // namespace
