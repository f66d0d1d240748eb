// The locked change that Install and Remove share: the locks, the sweep of
// what killed installers left, the decision made again on the mod as it is
// under the lock, the rescan after; and the outcome a change tells of
// itself, composed from what the file layer met.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/installer_core.h"

namespace change {

// Runs change on the slot itemData holds, holding the game folder's lock and
// then the mod folder's, after sweeping the mod's stale temporaries, and
// only when the mod as it is now still offers the change (Install for "not
// installed" or "need upgrade", Remove for "installed"); then rescans into
// rows, whatever happened. Returns change's outcome, or why it was not run:
// NoSuchMod, StateChanged (the mod's state now in the detail), or the
// lock's failure (Busy when another installer holds it).
ChangeOutcome Locked(InstallerCore& core, int32_t itemData, bool install, ModRowSink& rows,
                     const std::function<ChangeOutcome(int slot)>& change);

// Composes the paths every change of the mod in folder names: its
// liblist.gam and the bot's library in its dlls folder. Returns false,
// traced, when they do not fit the path buffers.
[[nodiscard]] bool ComposeModPaths(const InstallerCore& core, const std::string& folder,
                                   char (&libList)[kPathBufferSize], char (&library)[kPathBufferSize]);

// The outcome of a change that failed on path: the problem the file layer's
// last failure stands for, and the path with the system's reason.
ChangeOutcome FailureOutcome(const char* path);

// The outcome of a change whose paths do not fit the path buffers.
ChangeOutcome TooLongOutcome(const std::string& folder);

// Adds an extra that could not be copied to target to the outcome.
void NoteExtraNotCopied(ChangeOutcome& outcome, const char* target);

}  // namespace change
