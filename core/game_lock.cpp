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

std::unique_ptr<platform::FileLock> LockModFolder(const std::string& folder, ChangeOutcome& outcome) {
    PathBuffer path;
    if (!ComposePath(path, "%s\\%s", g_szGameDir, folder.c_str())) {
        outcome = TooLongOutcome(folder);
        return nullptr;
    }
    std::unique_ptr<platform::FileLock> lock = platform::FileLock::Acquire(path, kLockWaitMilliseconds);
    if (!lock) outcome = FailureOutcome(path);
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
