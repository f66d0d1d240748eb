// Fuzzes the reading of Steam's libraryfolders.vdf, where the Half-Life
// folder is looked for when the registry names none, and the test that finds
// the game directory above a package folder.
//
// Mode 0 (first byte even): the rest of the input is the libraryfolders.vdf
// of a Steam root under a home that holds two real library folders, one with
// Half-Life. Property: the result is empty or that real Half-Life folder,
// never anything else.
// Mode 1: the rest is a folder path. Property: the result is empty or the
// folder's parent, which holds Veldrin\veldrinins.ini, at most 255 characters.
#include <string>

#include "core/game_folder.h"
#include "fuzz_support.h"
#include "platform/file_system.h"
#include "platform/game_dir.h"
#include "support/game_folder.h"
#include "platform/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::fs::path home = [] {
        fuzz::fs::path h = fuzz::Scratch();
        fuzz::fs::create_directories(h / "Games" / "SteamLibrary" / "steamapps" / "common" / "Half-Life" / "valve");
        fuzz::fs::create_directories(h / "Other" / "steamapps" / "common" / "Portal");
        fuzz::fs::create_directories(h / ".steam" / "steam" / "steamapps");
        fuzz::WriteBytes(h / "Games" / "Half-Life" / "Veldrin" / "veldrinins.ini", "Counter-Strike\ncstrike\nmp\n");
        fuzz::WriteBytes(h / "Games" / "Other" / "VELDRIN" / "VeldrinIns.INI", "x\n");
        fuzz::fs::create_directories(h / "Games" / "Empty" / "Veldrin");
        return h;
    }();
    if (size == 0) return 0;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);

    if ((data[0] & 1) == 0) {
        fuzz::WriteBytes(home / ".steam" / "steam" / "steamapps" / "libraryfolders.vdf", rest);
        const std::string dir = test::FirstOf(platform::SteamGameDirectories());
        if (!dir.empty()) {
            FUZZ_CHECK(
                fuzz::fs::equivalent(dir, home / "Games" / "SteamLibrary" / "steamapps" / "common" / "Half-Life"));
        }
        return 0;
    }

    rest = rest.c_str();
    const std::string dir = layout::GameDirectoryAbovePackage(rest);
    if (dir.empty()) return 0;
    FUZZ_CHECK(dir.size() <= layout::MaxGameDirLength());
    std::string trimmed = rest;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    FUZZ_CHECK(slash != std::string::npos);
    FUZZ_CHECK(dir == (slash == 0 ? "/" : trimmed.substr(0, slash)));
    FUZZ_CHECK(platform::CompareIgnoringCase(trimmed.substr(slash + 1).c_str(), "Veldrin") == 0);
    const std::string catalogue = dir + "\\Veldrin\\veldrinins.ini";
    FUZZ_CHECK(platform::PathExists(catalogue.c_str()));
    return 0;
}
