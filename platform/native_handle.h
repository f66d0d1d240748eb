// What the file layer's public headers need to name of the host's files:
// the handle of an open file and what the layer knows of a file. The
// system calls on them are the platform's own (native_file.h).
#pragma once

#include <cstdint>

#include "platform/path.h"

namespace platform {
namespace native {

#if defined(_WIN32)
using Handle = void*;
#else
using Handle = int;
#endif
// The handle of no file.
extern const Handle kNoHandle;

// What the layer needs to know of a file.
struct Info {
    bool regular = false;  // a plain file: no folder, pipe, device or socket
    bool directory = false;
    bool link = false;      // a symbolic link itself (LinkInfoAt only)
    bool readOnly = false;  // no write permission at all (POSIX), the read-only attribute (Windows)
    uint64_t size = 0;
    uint64_t volume = 0, index = 0;  // which file: device and inode, volume serial and file index
    int64_t writeTime = 0;           // the last write as the host keeps it: ns since 1970 (POSIX), FILETIME (Windows)
    int64_t changeTime = 0;          // when the file was last made or renamed (POSIX: its status change), as writeTime
    uint32_t marks = 0;              // permission bits (POSIX), attributes (Windows)
    uint32_t owner = 0, group = 0;   // POSIX only
};

// The UTC date of a last write as the host keeps it (Info::writeTime).
FileDate DateOf(int64_t writeTime);

}  // namespace native
}  // namespace platform
