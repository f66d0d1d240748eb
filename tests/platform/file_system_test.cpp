// The file layer against real files: text mode, case-blind Windows paths,
// wildcard search, copy, delete and rename. Every test here passes on each
// host's layer; what only one layer does is tested in file_system_<os>_test.cpp.
#include "platform/file_system.h"

#include "platform/wildcard.h"
#include "support/game_folder.h"

#include <algorithm>
#include <chrono>
#include <thread>

using platform::TextFile;
using test::ReadBytes;
using test::WriteBytes;

namespace {

class FileSystemTest : public test::GameFolderTest {
protected:
    static std::string P(const fs::path& path) { return path.string(); }

    std::vector<std::string> Rows(const fs::path& path, int limit) {
        std::vector<std::string> rows;
        auto file = TextFile::Open(P(path).c_str(), "r");
        if (!file) return rows;
        std::vector<char> buffer(static_cast<size_t>(limit));
        while (file->ReadRow(buffer.data(), limit)) rows.emplace_back(buffer.data());
        return rows;
    }

    // The matches in sorted order: the order of a search is the file
    // system's (Wine and NTFS sort, FAT does not).
    std::vector<std::string> SortedSearch(const std::string& pattern) {
        std::vector<std::string> names = test::SearchNames(pattern);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FileSystemTest, TextReadTranslatesCrLfKeepsLoneCrAndStopsAtCtrlZ) {
    WriteBytes(root_ / "t.txt",
               "one\r\ntwo\rstill two\r\n\r\nlast\x1a"
               "after eof\r\n");
    EXPECT_EQ((std::vector<std::string>{"one\n", "two\rstill two\n", "\n", "last"}), Rows(root_ / "t.txt", 80));
}

TEST_F(FileSystemTest, ReadRowHasFgetsLimits) {
    std::string line(100, 'x');
    WriteBytes(root_ / "t.txt", line + "\r\n" + std::string(79, 'y') + "\r\nz");
    auto rows = Rows(root_ / "t.txt", 80);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(std::string(79, 'x'), rows[0]);
    EXPECT_EQ(std::string(21, 'x') + "\n", rows[1]);
    EXPECT_EQ(std::string(79, 'y'), rows[2]);  // the newline does not fit ...
    EXPECT_EQ("\n", rows[3]);                  // ... and comes as a row alone
    EXPECT_EQ("z", rows[4]);
}

TEST_F(FileSystemTest, CrLfSplitAcrossTheRowLimitIsStillOneNewline) {
    WriteBytes(root_ / "t.txt", std::string(78, 'a') + "\r\nb\r\n");
    EXPECT_EQ((std::vector<std::string>{std::string(78, 'a') + "\n", "b\n"}), Rows(root_ / "t.txt", 80));
}

TEST_F(FileSystemTest, TextWriteAndAppendUseCrLf) {
    std::string path = P(root_ / "out.txt");
    {
        auto f = TextFile::Open(path.c_str(), "w");
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->Write("a\nb\r\n\n"));
        EXPECT_TRUE(f->Close());
    }
    auto f = TextFile::Open(path.c_str(), "a");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Write("c\n"));
    EXPECT_TRUE(f->Close());
    EXPECT_EQ("a\r\nb\r\r\n\r\nc\r\n", ReadBytes(path));
    // "w" truncates.
    f = TextFile::Open(path.c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Close());
    EXPECT_EQ("", ReadBytes(path));
}

TEST_F(FileSystemTest, OpenFailsForMissingFilesFoldersAndReadOnlyWrites) {
    EXPECT_FALSE(TextFile::Open(P(root_ / "missing.txt").c_str(), "r"));
    EXPECT_FALSE(TextFile::Open(P(root_).c_str(), "r"));
    EXPECT_FALSE(TextFile::Open(P(root_ / "no-such-dir/x.txt").c_str(), "w"));
    WriteBytes(root_ / "ro.txt", "keep");
    fs::permissions(root_ / "ro.txt", fs::perms::owner_read);
    EXPECT_FALSE(TextFile::Open(P(root_ / "ro.txt").c_str(), "w"));
    EXPECT_FALSE(TextFile::Open(P(root_ / "ro.txt").c_str(), "a"));
    EXPECT_TRUE(TextFile::Open(P(root_ / "ro.txt").c_str(), "r"));
    EXPECT_EQ("keep", ReadBytes(root_ / "ro.txt"));
}

TEST_F(FileSystemTest, WindowsPathsReachFilesIgnoringCase) {
    WriteBytes(Game("CStrike/Dlls/MP.dll"), "mp");
    std::string path = std::string(g_szGameDir) + "\\cstrike\\dlls\\mp.DLL";
    EXPECT_TRUE(platform::PathExists(path.c_str()));
    auto f = TextFile::Open(path.c_str(), "r");
    ASSERT_TRUE(f);
    char row[80];
    ASSERT_TRUE(f->ReadRow(row, 80));
    EXPECT_STREQ("mp", row);
}

TEST_F(FileSystemTest, ANewFileKeepsItsSpellingInAnExistingFolder) {
    fs::create_directories(Game("Valve"));
    std::string created = std::string(g_szGameDir) + "\\VALVE\\Created.Txt";
    auto f = TextFile::Open(created.c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Close());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Game("Valve"))) names.push_back(entry.path().filename().string());
    EXPECT_EQ((std::vector<std::string>{"Created.Txt"}), names);
}

TEST_F(FileSystemTest, RelativePathsStartInTheWorkingDirectory) {
    WriteBytes(root_ / "Veldrin.LOG", "x");
    EXPECT_TRUE(platform::PathExists("veldrin.log"));
    fs::create_directories(root_ / "sub");
    auto f = TextFile::Open("sub\\new.txt", "w");
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->Close());
    EXPECT_TRUE(fs::exists(root_ / "sub" / "new.txt"));
}

TEST_F(FileSystemTest, SearchMatchesIgnoringCaseWithBareNames) {
    // No name here has a short 8.3 form that "*.vwp" would match as well
    // ("a.vwpx" would: A~1.VWP).
    for (const char* name : {"b.vwp", "A.VWP", "c.Vwp", "notes.txt", "x.vwp.bak", "vwp"})
        WriteBytes(Game("Veldrin/cstrike/") / name, name);
    fs::create_directories(Game("Veldrin/cstrike/Sub"));
    std::string pattern = std::string(g_szGameDir) + "\\veldrin\\CSTRIKE\\*.vwp";
    EXPECT_EQ((std::vector<std::string>{"A.VWP", "b.vwp", "c.Vwp"}), SortedSearch(pattern));
    for (const char* name : {"A.VWP", "a.vwpx", "b.vwpx"}) WriteBytes(Game("Veldrin/valve/") / name, name);
    EXPECT_EQ((std::vector<std::string>{"A.VWP", "a.vwpx"}),
              SortedSearch(std::string(g_szGameDir) + "\\Veldrin\\valve\\a.vw?*"));
    EXPECT_TRUE(test::SearchNames(std::string(g_szGameDir) + "\\Veldrin\\nothing\\*.vwp").empty());
    EXPECT_TRUE(test::SearchNames(std::string(g_szGameDir) + "\\Veldrin\\cstrike\\*.bsp").empty());
}

TEST_F(FileSystemTest, SearchFindsFoldersTooAndGivesNamesAsStored) {
    WriteBytes(Game("Veldrin/cstrike/De_Dust.VWP"), "w");
    fs::create_directories(Game("Veldrin/cstrike/Folder.vwp"));
    EXPECT_EQ((std::vector<std::string>{"De_Dust.VWP", "Folder.vwp"}),
              SortedSearch(std::string(g_szGameDir) + "\\veldrin\\cstrike\\*.vwp"));
}

TEST_F(FileSystemTest, BothSeparatorsAndAnyCaseReachFilesAndFolders) {
    WriteBytes(Game("CStrike/Dlls/MP.dll"), "mp");
    EXPECT_TRUE(platform::PathExists((std::string(g_szGameDir) + "/cstrike\\DLLS/mp.dll").c_str()));
    EXPECT_TRUE(platform::IsDirectory((std::string(g_szGameDir) + "\\CSTRIKE\\dlls").c_str()));
    EXPECT_FALSE(platform::IsDirectory((std::string(g_szGameDir) + "\\CSTRIKE\\dlls\\mp.dll").c_str()));
    EXPECT_FALSE(platform::PathExists((std::string(g_szGameDir) + "\\CSTRIKE\\dlls\\none.dll").c_str()));
}

TEST_F(FileSystemTest, SearchOnAPlainNameGivesItsLastWriteDateInUtc) {
    WriteBytes(Game("Veldrin/Veldrin.dll"), "x");
    // 23:30 on 10 March in New York is 04:30 on 11 March in UTC.
    test::SetModified(Game("Veldrin/Veldrin.dll"), test::kNoon20240310 + 16 * 3600 + 30 * 60);
    platform::FindData data;
    platform::FindHandle* search = nullptr;
    {
        test::ScopedTimeZone zone("America/New_York");
        search = platform::FindFirst((std::string(g_szGameDir) + "\\veldrin\\veldrin.dll").c_str(), data);
    }
    ASSERT_NE(nullptr, search);
    EXPECT_EQ("Veldrin.dll", data.name);
    EXPECT_EQ(2024, data.lastWrite.year);
    EXPECT_EQ(3, data.lastWrite.month);
    EXPECT_EQ(11, data.lastWrite.day);
    EXPECT_FALSE(platform::FindNext(search, data));
    platform::FindEnd(search);
}

TEST_F(FileSystemTest, WildcardMatcher) {
    using platform::WildcardMatch;
    EXPECT_TRUE(WildcardMatch("*.vwp", "de_dust.VWP"));
    EXPECT_FALSE(WildcardMatch("*.vwp", "de_dust.vwpx"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("a*b*c", "aXbYbZc"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "aXbYbZ"));
    EXPECT_TRUE(WildcardMatch("?", "x"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_FALSE(WildcardMatch("", "x"));
    // Many stars against a long near-miss must not take exponential time.
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*b", std::string(5000, 'a').c_str()));
}

TEST_F(FileSystemTest, CopyOverwritesAndTakesTheSourceTime) {
    WriteBytes(root_ / "src.bin", std::string("binary\0\r\n\x1a data", 16));
    test::SetModified(root_ / "src.bin", test::kNoon20240310);
    WriteBytes(root_ / "Dst.bin", "old content that is longer");
    EXPECT_TRUE(platform::CopyOver(P(root_ / "src.bin").c_str(), P(root_ / "dst.BIN").c_str()));
    EXPECT_EQ(ReadBytes(root_ / "src.bin"), ReadBytes(root_ / "Dst.bin"));
    EXPECT_EQ(test::kNoon20240310, test::Modified(root_ / "Dst.bin"));
    EXPECT_FALSE(platform::CopyOver(P(root_ / "missing").c_str(), P(root_ / "x").c_str()));
    EXPECT_FALSE(fs::exists(root_ / "x"));
    EXPECT_FALSE(platform::CopyOver(P(root_ / "src.bin").c_str(), P(root_ / "no-dir/x").c_str()));
}

TEST_F(FileSystemTest, CopyOverRefusesAReadOnlyTarget) {
    WriteBytes(root_ / "src", "new");
    WriteBytes(root_ / "dst", "old");
    fs::permissions(root_ / "dst", fs::perms::owner_read);
    EXPECT_FALSE(platform::CopyOver(P(root_ / "src").c_str(), P(root_ / "dst").c_str()));
    EXPECT_EQ("old", ReadBytes(root_ / "dst"));
}

TEST_F(FileSystemTest, RemoveTreatsAMissingFileAsRemoved) {
    WriteBytes(root_ / "File.dll", "x");
    EXPECT_TRUE(platform::RemoveFile(P(root_ / "file.dll").c_str()));
    EXPECT_FALSE(fs::exists(root_ / "File.dll"));
    EXPECT_TRUE(platform::RemoveFile(P(root_ / "file.dll").c_str()));
    EXPECT_TRUE(platform::RemoveFile(P(root_ / "no-dir/file.dll").c_str()));
    fs::create_directories(root_ / "dir");
    EXPECT_FALSE(platform::RemoveFile(P(root_ / "dir").c_str()));
    WriteBytes(root_ / "ro.dll", "x");
    fs::permissions(root_ / "ro.dll", fs::perms::owner_read);
    EXPECT_FALSE(platform::RemoveFile(P(root_ / "ro.dll").c_str()));
    EXPECT_TRUE(fs::exists(root_ / "ro.dll"));
}

TEST_F(FileSystemTest, ANewFileTakesItsTargetsPlaceWithItsMarksAndRefusesReadOnlyTargets) {
    WriteBytes(root_ / "Target", "old");
    test::SetUnusualMarks(root_ / "Target");
    const std::string marks = test::Marks(root_ / "Target");
    auto file = platform::NewFile::Beside(P(root_ / "TARGET").c_str());
    ASSERT_TRUE(file);
    ASSERT_NE(test::Marks(file->TempPath()), marks);
    EXPECT_TRUE(file->Write("new", 3));
    EXPECT_EQ("old", ReadBytes(root_ / "Target"));
    EXPECT_TRUE(file->Commit(true));
    EXPECT_EQ("new", ReadBytes(root_ / "Target"));
    EXPECT_EQ(marks, test::Marks(root_ / "Target"));
    // The game folder and the target: no temporary file is left.
    EXPECT_EQ(2, std::distance(fs::directory_iterator(root_), fs::directory_iterator()));
    fs::permissions(root_ / "Target", fs::perms::owner_read);
    EXPECT_FALSE(platform::NewFile::Beside(P(root_ / "Target").c_str()));
    EXPECT_EQ("new", ReadBytes(root_ / "Target"));
}

// A file the program replaces, by a new file or by a copy, keeps what it
// carries besides its marks: its extended attributes and access control
// list (Windows: the entries of its own in that list); a new file made after
// a model takes the model's.
TEST_F(FileSystemTest, AReplacedFileKeepsItsAttributesAndAccessList) {
    const fs::path target = root_ / "liblist.gam";
    WriteBytes(target, "old");
    const std::string refused = test::GiveAccessExtras(target);
    if (!refused.empty()) GTEST_SKIP() << "the file system of " << root_ << " refuses them: " << refused;
    const std::string extras = test::AccessExtras(target);
    auto file = platform::NewFile::Beside(P(target).c_str());
    ASSERT_TRUE(file);
    ASSERT_NE(extras, test::AccessExtras(file->TempPath()));
    EXPECT_TRUE(file->Write("new", 3));
    EXPECT_TRUE(file->Commit(true));
    EXPECT_EQ("new", ReadBytes(target));
    EXPECT_EQ(extras, test::AccessExtras(target));
    WriteBytes(root_ / "package.gam", "package");
    EXPECT_TRUE(platform::CopyOver(P(root_ / "package.gam").c_str(), P(target).c_str()));
    EXPECT_EQ("package", ReadBytes(target));
    EXPECT_EQ(extras, test::AccessExtras(target));
    auto kept = platform::NewFile::Beside(P(root_ / "liblist.gam.veldrin").c_str());
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->Commit(false, P(target).c_str()));
    EXPECT_EQ(extras, test::AccessExtras(root_ / "liblist.gam.veldrin"));
}

// The sweep after a killed installer deletes what a NewFile and a SetAside
// leave behind, made before the lock, and nothing else: a player's files
// named "~" and letters, a folder and a temporary younger than the lock stay.
TEST_F(FileSystemTest, TheSweepDeletesOnlyOldFilesWithTheTemporariesMark) {
    WriteBytes(root_ / "liblist.gam", "old");
    WriteBytes(root_ / "Veldrin.cfg", "cfg");
    std::string newFile, setAside;
    {
        auto file = platform::NewFile::Beside(P(root_ / "liblist.gam").c_str());
        ASSERT_TRUE(file);
        newFile = fs::path(file->TempPath()).filename().string();
        auto aside = platform::SetAside::Move(P(root_ / "Veldrin.cfg").c_str());
        ASSERT_TRUE(aside);
        for (const auto& entry : fs::directory_iterator(root_))
            if (entry.path().filename() != newFile && entry.path().filename().string().rfind('~', 0) == 0)
                setAside = entry.path().filename().string();
        ASSERT_TRUE(aside->Restore());
    }
    // A short name and a long one: both carry the mark, within the bounds.
    EXPECT_EQ(0u, newFile.rfind("~veldrin-", 0)) << newFile;
    EXPECT_EQ(0u, setAside.rfind("~veldrin-", 0)) << setAside;
    EXPECT_EQ(12u, newFile.size()) << newFile;
    EXPECT_EQ(12u, setAside.size()) << setAside;
    auto file = platform::NewFile::Beside(P(root_ / "a name longer than the longest temporary").c_str());
    ASSERT_TRUE(file);
    EXPECT_EQ(24u, fs::path(file->TempPath()).filename().string().size()) << file->TempPath();
    EXPECT_EQ(std::string::npos, file->TempPath().find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ", root_.string().size()));
    file.reset();
    // What a killed installer leaves, under the names it took.
    WriteBytes(root_ / newFile, "left by a NewFile");
    WriteBytes(root_ / setAside, "left by a SetAside");
    const std::vector<std::string> players = {
        "~notes",     "~backup1",          "~abc", "~", "~veldrin", "~veldrin-", "~veldrin-NOTES",
        "~veldrin-a", "~veldrin-notes.txt"};
    for (const std::string& name : players) WriteBytes(root_ / name, "a player's " + name);
    fs::create_directories(root_ / "~veldrin-folder");
    auto lock = platform::FileLock::Acquire(P(root_).c_str(), 0);
    ASSERT_TRUE(lock);
    // Past the coarse clock a file's times are taken from.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    auto living = platform::NewFile::Beside(P(root_ / "liblist.gam").c_str());
    ASSERT_TRUE(living);
    EXPECT_EQ(2, platform::RemoveStaleTemporaries(P(root_).c_str(), lock->Acquired()));
    EXPECT_FALSE(fs::exists(root_ / newFile));
    EXPECT_FALSE(fs::exists(root_ / setAside));
    for (const std::string& name : players) EXPECT_EQ("a player's " + name, ReadBytes(root_ / name)) << name;
    EXPECT_TRUE(fs::is_directory(root_ / "~veldrin-folder"));
    EXPECT_TRUE(fs::exists(living->TempPath()));
    EXPECT_TRUE(living->Commit(false));
    EXPECT_EQ("cfg", ReadBytes(root_ / "Veldrin.cfg"));
}

TEST_F(FileSystemTest, FaultHookFailsTheNamedOperationOnly) {
    WriteBytes(root_ / "a", "a");
    platform::SetFaultHook([](platform::FileOp op, const std::string& path) {
        return op == platform::FileOp::Copy && path.find("blocked") != std::string::npos;
    });
    EXPECT_FALSE(platform::CopyOver(P(root_ / "a").c_str(), P(root_ / "blocked").c_str()));
    EXPECT_TRUE(platform::CopyOver(P(root_ / "a").c_str(), P(root_ / "open").c_str()));
    platform::SetFaultHook([](platform::FileOp op, const std::string&) { return op == platform::FileOp::Write; });
    auto f = TextFile::Open(P(root_ / "w").c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->Write("x\n"));
    EXPECT_FALSE(f->Close());
}

}  // namespace
