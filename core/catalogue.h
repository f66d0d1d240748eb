// The package's catalogue of mods, veldrinins.ini, as the core holds it in
// its slots (InstallerCore::LoadCatalogue), and the rule of a slot a change
// may act on.
#pragma once

#include "core/installer_core.h"

// True when slot names a catalogued mod that a change may act on: there is
// a game directory, the slot is filled, and its folder is one plain name
// inside the game directory.
[[nodiscard]] bool UsableSlot(const InstallerCore& core, int slot);
