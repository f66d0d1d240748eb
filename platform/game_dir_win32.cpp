// The game directory's sources on Windows: the Half-Life key in the
// registry, Steam's folder, and the program's own.
#include "platform/game_dir.h"
#include "platform/steam_roots.h"
#include "platform/text_encoding.h"

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

namespace {

// A string value, in the file layer's narrow form. A value whose narrow
// form does not fit 256 bytes with its terminating zero is treated as
// missing rather than cut; one the ANSI code page cannot hold is noted as
// such and is missing too.
std::string ReadStringValue(HKEY root, const wchar_t* key, const wchar_t* value, REGSAM view) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS) return std::string();
    // Read in UTF-16, whatever the ANSI code page: only so can a name it
    // lacks be told from one it holds.
    wchar_t buffer[1024] = {};
    DWORD type = 0, size = sizeof buffer;
    LONG result = RegQueryValueExW(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    // The stored text may or may not carry its zero.
    size_t length = size / sizeof(wchar_t);
    if (length > 0 && buffer[length - 1] == L'\0') --length;
    if (length >= sizeof buffer / sizeof buffer[0]) return std::string();
    const NarrowPath path = NarrowPathOfWide(std::wstring(buffer, length));
    if (!path.unheld.empty()) {
        NoteUnheldPath(path);
        return std::string();
    }
    if (path.narrow.size() > kMaxRegistryValueLength) return std::string();
    return path.narrow;
}

}  // namespace

std::string WorkingDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::vector<std::string> RegistryGameDirectories() {
    // The 32-bit view, where the game's set-up program wrote the key, also
    // when this program is built for 64 bits; then the 64-bit view, which on
    // a 32-bit Windows is the same one.
    std::vector<std::string> found;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        std::string dir =
            ReadStringValue(HKEY_LOCAL_MACHINE, L"Software\\Sierra OnLine\\Setup\\HALFLIFE", L"directory", view);
        if (dir.empty() || (!found.empty() && found.back() == dir)) continue;
        found.push_back(dir);
    }
    return found;
}

std::string HomeDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("USERPROFILE", buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

std::vector<std::string> SteamRoots() {
    std::string steam = ReadStringValue(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", 0);
    if (steam.empty()) return {};
    return {steam};
}

std::string ProgramDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string path(buffer, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace platform
