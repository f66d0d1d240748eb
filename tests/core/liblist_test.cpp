// liblist.gam rows: recognising the gamedll line and rewriting it.
#include "core/liblist.h"

#include "support/game_folder.h"

#include <algorithm>
#include <random>

using liblist::LibraryNameOfRow;
using liblist::RewriteResult;
using test::Crlf;
using test::ReadBytes;
using test::WriteBytes;

namespace {

std::string NameOf(const char* row) {
    std::string name;
    return LibraryNameOfRow(row, name) ? name : "<none>";
}

TEST(LibraryNameOfRow, ReadsTheTextBetweenFirstBackslashAndQuote) {
    EXPECT_EQ("veldrin.dll", NameOf("gamedll \"dlls\\veldrin.dll\"\n"));
    EXPECT_EQ("mp.dll", NameOf("gamedll \"dlls\\mp.dll\""));
    EXPECT_EQ("veldrin.dll", NameOf("  gamedll \"dlls\\veldrin.dll\"\n"));  // leading spaces
    EXPECT_EQ("bin\\veldrin.dll", NameOf("gamedll \"dlls\\bin\\veldrin.dll\"\n"));
    EXPECT_EQ("", NameOf("gamedll \"dlls\\\"\n"));
}

TEST(LibraryNameOfRow, RowsThatNameNoLibrary) {
    EXPECT_EQ("<none>", NameOf("GAMEDLL \"dlls\\veldrin.dll\"\n"));  // the key is case-sensitive
    EXPECT_EQ("<none>", NameOf("gamedll_linux \"dlls/mp_i386.so\"\n"));
    EXPECT_EQ("<none>", NameOf("\tgamedll \"dlls\\veldrin.dll\"\n"));  // only spaces are skipped
    EXPECT_EQ("<none>", NameOf("gamedll \"veldrin.dll\"\n"));          // no backslash
    EXPECT_EQ("<none>", NameOf("game \"Counter-Strike\"\n"));
    EXPECT_EQ("<none>", NameOf(""));
}

TEST(LibraryNameOfRow, AMissingQuoteEndsTheNameAtTheRowEnd) {
    EXPECT_EQ("veldrin.dll", NameOf("gamedll \"dlls\\veldrin.dll\n"));
    EXPECT_EQ("veldrin.dll", NameOf("gamedll dlls\\veldrin.dll"));
}

class RewriteTest : public test::GameFolderTest {
protected:
    std::string path() const { return Game("cstrike/liblist.gam").string(); }
    RewriteResult Rewrite(const std::string& replacement, int* found = nullptr, int* written = nullptr) {
        return test::RewriteEveryGamedllLine(path().c_str(), replacement, found, written);
    }
    bool TempLeft() const { return test::TempFilesLeft(Game("cstrike")); }
};

TEST_F(RewriteTest, ReplacesEveryGamedllRowAndKeepsEveryOtherByte) {
    const std::string before =
        "// Valve Game Info file\n"
        "game \"Counter-Strike\"\n"
        "gamedll \"dlls\\mp.dll\"\n"
        "  gamedll \"dlls\\old.dll\"\n"
        "gamedll_linux \"dlls/cs.so\"\n"
        "\tgamedll \"dlls\\tab.dll\"\n"
        "gamedll \"dlls\\last.dll\"";  // no newline at the end
    WriteBytes(path(), Crlf(before));
    int found = 0, written = 0;
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine, &found, &written));
    EXPECT_EQ(3, found);
    EXPECT_EQ(1, written);
    EXPECT_EQ(Crlf("// Valve Game Info file\n"
                   "game \"Counter-Strike\"\n"
                   "gamedll \"dlls\\veldrin.dll\"\n"
                   "gamedll \"dlls\\veldrin.dll\"\n"
                   "gamedll_linux \"dlls/cs.so\"\n"
                   "\tgamedll \"dlls\\tab.dll\"\n") +
                  "gamedll \"dlls\\veldrin.dll\"",  // each line keeps its own line end, or none
              ReadBytes(path()));
    EXPECT_FALSE(TempLeft());
}

TEST_F(RewriteTest, FileWithoutGamedllComesBackUnchanged) {
    const std::string text = Crlf("game \"Half-Life\"\nstartmap \"c0a0\"\n") + "lone\rcr\r\n";
    WriteBytes(path(), text);
    int found = 0;
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine, &found));
    EXPECT_EQ(0, found);
    EXPECT_EQ(text, ReadBytes(path()));
}

TEST_F(RewriteTest, LongLinesAreRowsAndOnlyARowStartingWithTheMarkerChanges) {
    // A 100-character comment whose second row begins with the marker, then a
    // 100-character gamedll line, replaced whole: its tail left as a line of
    // its own would be a stray line in the file.
    std::string comment = "//" + std::string(77, '-') + "gamedll " + std::string(13, 'x');
    std::string longGamedll = "gamedll \"dlls\\" + std::string(80, 'm') + ".dll\"" + std::string(1, ' ');
    ASSERT_EQ(100u, comment.size());
    ASSERT_EQ(100u, longGamedll.size());
    WriteBytes(path(), Crlf(comment + "\n" + longGamedll + "\nkeep\n"));
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine));
    EXPECT_EQ(
        Crlf(comment.substr(0, 79) + "gamedll \"dlls\\veldrin.dll\"\n" + "gamedll \"dlls\\veldrin.dll\"\n" + "keep\n"),
        ReadBytes(path()));
}

TEST_F(RewriteTest, ALongRemoveRowIsWrittenWhole) {
    WriteBytes(path(), Crlf("gamedll \"dlls\\veldrin.dll\"\n"));
    std::string base(70, 'b');
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::RemoveLine(base)));
    EXPECT_EQ(Crlf("gamedll \"dlls\\" + base + ".dll\"\n"), ReadBytes(path()));
}

TEST_F(RewriteTest, MoreThan256RowsAreAllKept) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "// line " + std::to_string(i) + "\n";
    text += "gamedll \"dlls\\mp.dll\"\n";
    WriteBytes(path(), Crlf(text));
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine));
    std::string expected =
        text.substr(0, text.size() - std::string("gamedll \"dlls\\mp.dll\"\n").size()) + liblist::kInstallLine + "\n";
    EXPECT_EQ(Crlf(expected), ReadBytes(path()));
}

// Lines of every kind, many times over in a shuffled order, so that the
// file's read blocks end at every kind of place: each line's rewrite is
// known on its own, and the whole is the lines' rewrites in order.
TEST_F(RewriteTest, EveryLineKeepsItsBytesAcrossTheReadBlocks) {
    const std::string loader = "gamedll \"addons\\loader\\dlls\\loader.dll\"";
    const std::string installed = std::string(liblist::kInstallLine) + "\r\n";
    const std::string longLine = std::string(79, '-') + loader + " // and then some more words";
    const std::pair<std::string, std::string> lines[] = {
        {"// a comment\r\n", "// a comment\r\n"},
        {loader + "\r\n", installed},
        {"   " + loader + "\n", std::string(liblist::kInstallLine) + "\n"},  // indented, bare LF
        {"game \"bare LF\"\n", "game \"bare LF\"\n"},
        {std::string("with\0NUL and\rlone CR\r\n", 22), std::string("with\0NUL and\rlone CR\r\n", 22)},
        // Its second row starts with the marker and is replaced, the rest of
        // the line with it.
        {longLine + "\r\n", longLine.substr(0, 79) + installed},
        {std::string(200, 'x') + "\r\n", std::string(200, 'x') + "\r\n"},
        {"gamedll_linux \"dlls/cs.so\"\r\n", "gamedll_linux \"dlls/cs.so\"\r\n"},
    };
    std::mt19937 random(12);
    std::string original, expected;
    while (original.size() < 300 * 1024) {
        const auto& line = lines[random() % (sizeof lines / sizeof lines[0])];
        original += line.first;
        expected += line.second;
    }
    original += "\x1a" + loader + "\r\n";  // after the end of the text: kept as it is
    expected += "\x1a" + loader + "\r\n";
    WriteBytes(path(), original);
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine));
    const std::string after = ReadBytes(path());
    ASSERT_EQ(expected.size(), after.size());
    EXPECT_TRUE(expected == after) << "first difference at byte "
                                   << std::mismatch(expected.begin(), expected.end(), after.begin()).first -
                                          expected.begin();
}

TEST_F(RewriteTest, MissingFileIsNotOpenedAndNothingIsCreated) {
    int found = 0, written = 0;
    EXPECT_EQ(RewriteResult::NotOpened, Rewrite(liblist::kInstallLine, &found, &written));
    EXPECT_FALSE(fs::exists(path()));
    EXPECT_EQ(0, written);
}

TEST_F(RewriteTest, EveryWriteFailureLeavesTheOriginalByteForByte) {
    const std::string original = Crlf("game \"CS\"\ngamedll \"dlls\\mp.dll\"\n");
    for (platform::FileOp failing :
         {platform::FileOp::OpenWrite, platform::FileOp::Write, platform::FileOp::Close, platform::FileOp::Rename}) {
        WriteBytes(path(), original);
        platform::SetFaultHook([failing](platform::FileOp op, const std::string&) { return op == failing; });
        int written = 0;
        EXPECT_EQ(RewriteResult::Failed, Rewrite(liblist::kInstallLine, nullptr, &written)) << int(failing);
        platform::SetFaultHook({});
        EXPECT_EQ(0, written);
        EXPECT_EQ(original, ReadBytes(path())) << int(failing);
        EXPECT_FALSE(TempLeft()) << int(failing);
    }
}

TEST_F(RewriteTest, AReadThatBreaksOffPartWayLeavesTheOriginal) {
    // Larger than one read, so the second read of the file is part way in.
    std::string original = Crlf("game \"CS\"\ngamedll \"dlls\\mp.dll\"\n");
    while (original.size() < 300 * 1024) original += Crlf("// a comment row of a long liblist.gam\n");
    WriteBytes(path(), original);
    int reads = 0;
    platform::SetFaultHook(
        [&reads](platform::FileOp op, const std::string&) { return op == platform::FileOp::Read && ++reads == 2; });
    int written = 0;
    EXPECT_EQ(RewriteResult::Failed, Rewrite(liblist::kInstallLine, nullptr, &written));
    platform::SetFaultHook({});
    EXPECT_EQ(2, reads);
    EXPECT_EQ(0, written);
    EXPECT_EQ(original, ReadBytes(path()));
    EXPECT_FALSE(TempLeft());
}

TEST_F(RewriteTest, ReadOnlyFileIsLeftAlone) {
    const std::string original = Crlf("gamedll \"dlls\\mp.dll\"\n");
    WriteBytes(path(), original);
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(RewriteResult::Failed, Rewrite(liblist::kInstallLine));
    EXPECT_EQ(original, ReadBytes(path()));
    EXPECT_FALSE(TempLeft());
}

TEST_F(RewriteTest, PermissionsOfTheOriginalAreKept) {
    WriteBytes(path(), Crlf("gamedll \"dlls\\mp.dll\"\n"));
    test::SetUnusualMarks(path());
    const std::string marks = test::Marks(path());
    EXPECT_EQ(RewriteResult::Written, Rewrite(liblist::kInstallLine));
    EXPECT_EQ(marks, test::Marks(path()));
}

}  // namespace
