// The extras an Install copies into a mod besides the bot's library: the
// waypoints into its maps folder, the names, chat and configuration files,
// and for one mod the weapon configuration.
#pragma once

#include "core/installer_core.h"

namespace extras {

// Copies the extras options ticks from the package folder package into the
// mod of slot. An extra the player changed since an earlier Install put it
// there, or put there without one, is kept as it is, the package's copy set
// beside it (outcome.extrasKept); what Install put in place is recorded in
// the mod (Veldrin.installed, with the owner and permissions of model).
// Extras that could not be copied are listed in outcome.extrasNotCopied; a
// package without an extra has nothing to copy, which is no failure.
void Copy(InstallerCore& core, int slot, const InstallOptions& options, const char* package, const char* model,
          ChangeOutcome& outcome);

}  // namespace extras
