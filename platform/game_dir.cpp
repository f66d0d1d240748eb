// The game-directory rules every host shares.
#include "platform/game_dir.h"

#include "platform/file_system.h"

namespace platform {

bool HoldsPackage(const std::string& dir) {
    if (dir.empty() || dir.size() > kMaxGameDirLength) return false;
    const std::string catalogue = dir + "\\Veldrin\\veldrinins.ini";
    return PathExists(catalogue.c_str()) && !IsDirectory(catalogue.c_str());
}

}  // namespace platform
