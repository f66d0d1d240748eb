#include "sample_game.h"

namespace uitest {

namespace {

struct SampleMod {
    const char* name;
    const char* folder;
    const char* library;
};

const SampleMod kMods[] = {
    {"Counter-Strike", "cstrike", "mp"},
    {"Team Fortress Classic", "tfc", "tfc"},
    {"Ricochet", "ricochet", "mp"},
    {"Deathmatch Classic", "dmc", "dmc"},
    {"Day of Defeat", "dod", "dod"},
    {"Opposing Force", "gearbox", "opfor"},
    {"Half-Life", "valve", "hl"},
    {"Front Line Force", "frontline", "frontline"},
    {nullptr, "longname", "longname"},
};

std::string Liblist(const std::string& game, const std::string& gamedll) {
    return "// Valve Game Info file\ngame \"" + game + "\"\nversion \"1.0\"\ngamedll \"" + gamedll +
           "\"\ntype \"multiplayer_only\"\n";
}

}  // namespace

std::string LongModName() {
    std::string name = "A Mod Whose Name Runs On Far Longer Than The List Can Show";
    while (name.size() < 100) name += " And On";
    return name.substr(0, 100);
}

std::string FolderOf(int slot) { return kMods[slot].folder; }

void WriteSampleGame(const fs::path& game) {
    using uitest::WriteBytes;
    std::string catalogue;
    for (const SampleMod& mod : kMods)
        catalogue += std::string(mod.name ? mod.name : LongModName()) + "\n" + mod.folder + "\n" + mod.library + "\n";
    WriteBytes(game / "Veldrin/veldrinins.ini", Crlf(catalogue));
    WriteBytes(game / "Veldrin/veldrin.dll", "stand-in bot library v1.3");
    SetModified(game / "Veldrin/veldrin.dll", kNoon20240310);
    for (const char* extra : {"Veldrin_names.txt", "Veldrin_chat.txt", "Veldrin.cfg", "bot_weapon_config.cfg"})
        WriteBytes(game / "Veldrin" / extra, Crlf(std::string(extra) + " of the package\n"));
    for (int slot : {kTfc, kFrontLine}) {
        WriteBytes(game / "Veldrin" / FolderOf(slot) / "one.vwp", "waypoints one");
        WriteBytes(game / "Veldrin" / FolderOf(slot) / "two.vwp", "waypoints two");
    }

    for (int slot = 0; slot < static_cast<int>(sizeof kMods / sizeof kMods[0]); ++slot) {
        if (slot == kRicochet) continue;
        fs::path mod = game / FolderOf(slot);
        bool bot = slot == kCounterStrike || slot == kDod || slot == kDmc;
        std::string own = std::string("dlls\\") + kMods[slot].library + ".dll";
        WriteBytes(mod / "liblist.gam", Crlf(Liblist(FolderOf(slot), bot ? "dlls\\veldrin.dll" : own)));
        fs::create_directories(mod / "maps");
        WriteBytes(mod / "dlls" / (std::string(kMods[slot].library) + ".dll"), "stand-in game library");
        if (bot) {
            WriteBytes(mod / "dlls/veldrin.dll", "stand-in bot library");
            SetModified(mod / "dlls/veldrin.dll",
                              slot == kDmc ? kNoon20240310 - 2 * kDay : kNoon20240310);
        }
    }
}

}  // namespace uitest
