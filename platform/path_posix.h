// What the POSIX file layer uses of the path resolution beside the public
// path services.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/path.h"

namespace platform {

// The Wine prefix whose drives C:\ paths reach: $WINEPREFIX, else ~/.wine.
std::string WinePrefix();

namespace posix {

// ResolvePath, telling through found whether the path reached something
// that exists (false when that is not known).
std::string Resolve(const char* path, bool* found);

// Opens the file a Windows path reaches with open(2) flags: the path as
// spelled first, since almost every path is spelled as on disk, and only a
// missing one matched ignoring case. -1 with errno set when it cannot.
int OpenSpelledFirst(const char* path, int flags);

// Keeps the kept listing of host's folder, if any, up to date with a file
// this thread made (exists) or removed there.
void NoteChange(const std::string& host, bool exists);

// The UTC date of a file's last write.
FileDate DateOf(const struct stat& st);

}  // namespace posix
}  // namespace platform
