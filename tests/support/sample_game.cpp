#include "support/sample_game.h"

#include "support/host.h"

namespace test {

namespace fs = std::filesystem;

std::string FolderOf(int slot) {
    static const char* const folders[] = {"cstrike",  "tfc",   "dmc",       "gearbox", "dod",
                                          "ricochet", "valve", "frontline", "ts"};
    return folders[slot];
}

bool CopySampleGame(const fs::path& game) {
    // CMake gives the sample's path; a Windows test under Wine reaches it
    // through drive Z:, the root of the host.
    std::error_code ec;
    fs::create_directories(game, ec);
    fs::copy(fs::u8path(VELDRIN_SAMPLE_GAME), game, fs::copy_options::recursive | fs::copy_options::overwrite_existing,
             ec);
    if (ec) return false;
    // Git keeps no file times, and "need upgrade" is a matter of dates.
    for (auto it = fs::recursive_directory_iterator(game, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file() && !SetModifiedTime(it->path(), kPackageTime)) return false;
    return !ec && SetModifiedTime(game / "dmc" / "dlls" / "veldrin.dll", kOlderBotTime);
}

}  // namespace test
