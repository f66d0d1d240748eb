// The game folder of the dialog tests: a copy of examples/Half-Life, the
// folder the demo runs on, made fresh for each test and dated as the demo
// dates its copy, so that the tests and the demo show the same mods.
#pragma once

#include <string>

#include "ui_fixtures.h"

namespace uitest {

// Catalogue slots of the example. Slot 5 (Ricochet) is catalogued but has no
// folder, so rows and slots part after it.
enum Slot { kCounterStrike, kTfc, kDmc, kOpFor, kDod, kRicochet, kHalfLife, kFrontLine, kTs };

// 2024-05-20 12:00 UTC: the package's library and every other file of the
// copy. 2024-03-18 12:00 UTC: Deathmatch Classic's older copy of the bot.
constexpr time_t kPackageTime = 1716206400;
constexpr int kPackageDate = 20240520;
constexpr time_t kOlderBotTime = 1710763200;

// Copies examples/Half-Life to game and dates the copies: every mod in the
// state the README gives it (installed: Counter-Strike, Day of Defeat; need
// upgrade: Deathmatch Classic; the others not installed).
void CopyExampleGame(const fs::path& game);

// The folder of a slot.
std::string FolderOf(int slot);

}  // namespace uitest
