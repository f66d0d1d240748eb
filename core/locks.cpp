// One installer at a time in a game folder and in a mod folder.
#include "core/locks.h"

namespace locks {

std::unique_ptr<platform::FileLock> LockGameFolder() {
    return platform::FileLock::Acquire(g_szGameDir, kLockWaitMilliseconds);
}

std::unique_ptr<platform::FileLock> LockModFolder(const std::string& folder, layout::PathBuffer& path) {
    if (!layout::ComposePath(path, layout::kModFolder, g_szGameDir, folder.c_str())) {
        platform::FailInWords(platform::FileError::NotFound, PlayerWords("its path is too long for the installer"));
        return nullptr;
    }
    return platform::FileLock::Acquire(path, kLockWaitMilliseconds);
}

void SweepTemporaries(const std::string& folder, const platform::FileLock& lock) {
    for (const char* format : {layout::kModFolder, layout::kModDlls, layout::kModMaps}) {
        layout::PathBuffer path;
        if (layout::ComposePath(path, format, g_szGameDir, folder.c_str()))
            platform::RemoveStaleTemporaries(path, lock.Acquired());
    }
}

}  // namespace locks
