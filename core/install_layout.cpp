// The install layout: where everything lives, the paths composed after the
// game directory, and the date stamps.
#include "core/install_layout.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/installer_core.h"

char g_szGameDir[256];

namespace layout {

bool ComposePath(PathBuffer& buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, kPathBufferSize, format, args);
    va_end(args);
    if (n < 0 || n >= kPathBufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

std::string ForPlayer(const char* path) {
    std::string text = path ? path : "";
    const size_t game = std::strlen(g_szGameDir);
    if (game > 0 && text.compare(0, game, g_szGameDir) == 0 && text.size() > game &&
        (text[game] == '\\' || text[game] == '/'))
        text.erase(0, game + 1);
#if !defined(_WIN32)
    for (char& c : text)
        if (c == '\\') c = '/';
#endif
    return text;
}

int32_t DateStamp(const platform::FileDate& date) { return (date.year * 100 + date.month) * 100 + date.day; }

}  // namespace layout

int32_t DateStampOfFile(const char* path) {
    platform::FindData data;
    platform::FindHandle* search = platform::FindFirst(path, data);
    if (!search) return 0;
    platform::FindEnd(search);
    return layout::DateStamp(data.lastWrite);
}

void InstallerCore::StampSourceLibrary() {
    layout::PathBuffer path;
    // A path too long for the buffer leaves no source library: Install then
    // refuses to touch any mod. So does an empty game directory, whose paths
    // would start at the root of the file system.
    path[0] = '\0';
    if (g_szGameDir[0]) layout::ComposePath(path, layout::kSourceLibrary, g_szGameDir);
    m_strSourceDll = path;
    m_nSourceDate = path[0] ? DateStampOfFile(path) : 0;
    Trace("Veldrin.dll file time is: %d\n", m_nSourceDate);
}

platform::FindHandle* layout::NextFile(platform::FindHandle* search, std::string& name, const char* pattern) {
    name.clear();
    platform::FindData data;
    if (!search) {
        // Enumerations want names only.
        search = platform::FindFirst(pattern, data, false);
        if (!search) return nullptr;
    } else if (!platform::FindNext(search, data)) {
        platform::FindEnd(search);
        return nullptr;
    }
    name = data.name;
    return search;
}
