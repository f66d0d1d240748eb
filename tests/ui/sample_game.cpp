#include "sample_game.h"

namespace uitest {

std::string FolderOf(int slot) {
    static const char* const folders[] = {"cstrike",  "tfc",   "dmc",       "gearbox", "dod",
                                          "ricochet", "valve", "frontline", "ts"};
    return folders[slot];
}

void CopyExampleGame(const fs::path& game) {
    // Git keeps no file times, and "need upgrade" is a matter of dates.
    fs::create_directories(game);
    fs::copy(fs::u8path(VELDRIN_EXAMPLE_GAME), game,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const auto& entry : fs::recursive_directory_iterator(game))
        if (entry.is_regular_file()) SetModified(entry.path(), kPackageTime);
    SetModified(game / "dmc" / "dlls" / "veldrin.dll", kOlderBotTime);
}

}  // namespace uitest
