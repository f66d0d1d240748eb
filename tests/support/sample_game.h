// The sample game of examples/Half-Life, the folder the demo runs on: the
// tests that need a whole game folder work on a fresh copy of it, dated as
// scripts/demo dates its copy, so that the tests and the demo show the same
// mods in the same states.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace test {

// Catalogue slots of the sample. Slot 5 (Ricochet) is catalogued but has no
// folder, so rows and slots part after it.
enum Slot { kCounterStrike, kTfc, kDmc, kOpFor, kDod, kRicochet, kHalfLife, kFrontLine, kTs };

// 2024-05-20 12:00 UTC: the package's library and every other file of the
// copy. 2024-03-18 12:00 UTC: Deathmatch Classic's older copy of the bot.
constexpr time_t kPackageTime = 1716206400;
constexpr int kPackageDate = 20240520;
constexpr time_t kOlderBotTime = 1710763200;

// Copies examples/Half-Life into game (made when missing) and dates the
// copies: every mod in the state the README gives it (installed:
// Counter-Strike, Day of Defeat; need upgrade: Deathmatch Classic; the
// others not installed). Returns false when a file could not be copied or
// dated.
bool CopySampleGame(const std::filesystem::path& game);

// The folder of a slot of the sample ("cstrike" for kCounterStrike).
std::string FolderOf(int slot);

}  // namespace test
