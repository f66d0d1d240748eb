// The locks that keep one installer at a time in a game folder and in a mod
// folder, and the sweep of what killed installers left there.
#pragma once

#include <memory>
#include <string>

#include "core/paths.h"
#include "platform/file_system.h"

namespace locks {

// How long an Install or Remove waits for another installer to finish
// with the same game folder.
constexpr int kLockWaitMilliseconds = 3000;

// Takes the game folder's lock for one Install or Remove, across processes:
// held on the game folder itself, which nothing an installer or a player
// does to the files in it can replace. Returns null, with the file layer's
// failure saying why (Busy when another installer holds it), when the lock
// cannot be had.
[[nodiscard]] std::unique_ptr<platform::FileLock> LockGameFolder();

// Takes the lock of the mod in folder, after the game folder's: held on the
// mod's folder itself, as the file system knows it, so that two game
// folders that reach one mod folder (through a link) change it one at a
// time. path receives the folder's path (empty when it is too long).
// Returns null, with the file layer's failure saying why, when the lock
// cannot be had.
[[nodiscard]] std::unique_ptr<platform::FileLock> LockModFolder(const std::string& folder, layout::PathBuffer& path);

// Deletes what killed installers left of their temporary files in the
// folders a change of the mod in folder writes (the mod's folder, its dlls
// and its maps), made before lock was taken.
void SweepTemporaries(const std::string& folder, const platform::FileLock& lock);

}  // namespace locks
