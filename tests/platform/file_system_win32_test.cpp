// What only the Windows file layer does: it hands paths to Windows as they
// are, with no resolving of its own.
#include "platform/file_system.h"

#include "support/game_folder.h"

namespace {

TEST(Win32FileSystem, PathsAreUsedAsGiven) {
    EXPECT_EQ("C:\\Games\\x/y.txt", platform::ResolvePath("C:\\Games\\x/y.txt"));
    EXPECT_EQ("veldrin.log", platform::ResolvePath("veldrin.log"));
}

}  // namespace
