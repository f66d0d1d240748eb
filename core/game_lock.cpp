// One installer at a time in a game folder.
#include "core/game_lock.h"

#include "core/change_outcome.h"
#include "core/install_layout.h"

namespace layout {

std::unique_ptr<platform::FileLock> LockGameFolder(ChangeOutcome& outcome) {
    std::unique_ptr<platform::FileLock> lock = platform::FileLock::Acquire(g_szGameDir, kLockWaitMilliseconds);
    if (!lock) outcome = FailureOutcome(g_szGameDir);
    return lock;
}

void SweepTemporaries(const std::string& folder, const platform::FileLock& lock) {
    for (const char* format : {"%s\\%s", "%s\\%s\\dlls", "%s\\%s\\maps"}) {
        PathBuffer path;
        if (ComposePath(path, format, g_szGameDir, folder.c_str()))
            platform::RemoveStaleTemporaries(path, lock.Acquired());
    }
}

}  // namespace layout
