// A sample game folder for the dialog tests, made fresh in a temporary folder
// for each test, with HOME and WINEPREFIX pointed inside it so that nothing
// of the machine's own is read.
#pragma once

#include <string>
#include <vector>

#include "ui_fixtures.h"

namespace uitest {

// Catalogue slots of the sample. Slot 2 (Ricochet) is catalogued but has no
// folder, so rows and slots part after it.
enum Slot { kCounterStrike, kTfc, kRicochet, kDmc, kDod, kOpFor, kHalfLife, kFrontLine, kLongName };

// The long display name of slot 8: 100 characters.
std::string LongModName();

// Writes the sample under game: package folder "Veldrin" with the catalogue,
// the bot library (written on test::kNoon20240310) and the extras; mods with
// CR LF liblist.gam files in every state: installed (Counter-Strike, Day of
// Defeat), need upgrade (Deathmatch Classic, two days older), not installed
// (the others).
void WriteSampleGame(const fs::path& game);

// The folder of a slot.
std::string FolderOf(int slot);

}  // namespace uitest
