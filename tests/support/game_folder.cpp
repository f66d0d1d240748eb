#include "support/game_folder.h"

#include <cstring>

namespace test {

void SetModified(const fs::path& path, time_t when) { ASSERT_TRUE(SetModifiedTime(path, when)) << path; }

void GameFolderTest::SetUp() {
    sandbox_ = std::make_unique<Sandbox>();
    root_ = sandbox_->Root();
    ASSERT_FALSE(root_.empty());
    game_ = root_ / "Half-Life";
    fs::create_directories(game_ / "Veldrin");
    oldCwd_ = fs::current_path();
    fs::current_path(root_);
    std::strcpy(g_szGameDir, Narrow(game_).c_str());
}

void GameFolderTest::TearDown() {
    platform::SetFaultHook({});
    if (!oldCwd_.empty()) fs::current_path(oldCwd_);
    sandbox_.reset();
}

void GameFolderTest::WriteCatalogue(const std::vector<CatalogueEntry>& entries) {
    std::string text;
    for (const auto& e : entries) text += e.name + "\n" + e.folder + "\n" + e.library + "\n";
    WriteBytes(Game("Veldrin/veldrinins.ini"), Crlf(text));
}

void GameFolderTest::WritePackageLibrary(time_t when, const std::string& bytes) {
    WriteBytes(Game("Veldrin/veldrin.dll"), bytes);
    SetModified(Game("Veldrin/veldrin.dll"), when);
}

void GameFolderTest::MakeMod(const std::string& folder, const std::string& liblist, time_t installedWhen) {
    WriteBytes(Game(folder + "/liblist.gam"), Crlf(liblist));
    fs::create_directories(Game(folder + "/dlls"));
    if (installedWhen) {
        WriteBytes(Game(folder + "/dlls/veldrin.dll"), "MZ veldrin bot v1");
        SetModified(Game(folder + "/dlls/veldrin.dll"), installedWhen);
    }
}

liblist::RewriteResult RewriteEveryGamedllLine(const char* path, const std::string& text, int* found, int* written) {
    liblist::LibListRewrite rewrite;
    liblist::RewriteResult result =
        rewrite.Prepare(path, [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
            bytes.assign(text).append(line.LineEnd());
            return true;
        });
    if (found) *found += static_cast<int>(rewrite.Replaced());
    if (result != liblist::RewriteResult::Written) return result;
    if (!rewrite.Commit()) return liblist::RewriteResult::Failed;
    if (written) ++*written;
    return result;
}

}  // namespace test
