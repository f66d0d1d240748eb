// The game directory on Windows: the Half-Life key in the registry, else the
// package folder the installer runs from, else Steam.
#include "platform/game_dir.h"

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

bool EqualIgnoringCase(const std::string& a, const char* b) { return CompareIgnoringCase(a.c_str(), b) == 0; }

bool Usable(const std::string& dir) { return !dir.empty() && dir.size() <= kMaxGameDirLength; }

// A string value read into a 256-byte buffer. A value that does not fit with
// its terminating zero is treated as missing rather than cut.
std::string ReadStringValue(HKEY root, const char* key, const char* value, REGSAM view) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS) return std::string();
    char buffer[256] = {};
    DWORD type = 0, size = sizeof buffer;
    LONG result = RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    // The stored text may or may not carry its zero; without one, a full
    // buffer means the text itself is 256 bytes or longer.
    if (size > 0 && buffer[size - 1] == '\0') --size;
    if (size >= sizeof buffer) return std::string();
    return std::string(buffer, size);
}

// The text of each quoted token of a line of a Steam .vdf file, unescaped.
std::vector<std::string> VdfTokens(const std::string& line) {
    std::vector<std::string> tokens;
    size_t pos = 0;
    while ((pos = line.find('"', pos)) != std::string::npos) {
        std::string token;
        ++pos;
        while (pos < line.size() && line[pos] != '"') {
            if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
            token += line[pos++];
        }
        ++pos;
        tokens.push_back(token);
    }
    return tokens;
}

std::vector<std::string> SteamLibraries(const std::string& vdfFile) {
    std::vector<std::string> libraries;
    std::ifstream in(vdfFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> tokens = VdfTokens(line);
        if (tokens.size() != 2 || tokens[0].empty()) continue;
        bool numbered = tokens[0].find_first_not_of("0123456789") == std::string::npos;
        if (EqualIgnoringCase(tokens[0], "path") || numbered) libraries.push_back(tokens[1]);
    }
    return libraries;
}

std::string HalfLifeIn(const std::string& library) {
    std::string dir = library + "\\steamapps\\common\\Half-Life";
    return Usable(dir) && IsDirectory(dir.c_str()) ? dir : std::string();
}

std::string WorkingDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

}  // namespace

std::string RegistryGameDirectory() {
    // The 32-bit view, where the game's set-up program wrote the key, also
    // when this program is built for 64 bits.
    std::string dir = ReadStringValue(HKEY_LOCAL_MACHINE, "Software\\Sierra OnLine\\Setup\\HALFLIFE", "directory",
                                      KEY_WOW64_32KEY);
    return Usable(dir) ? dir : std::string();
}

std::string GameDirectoryAbovePackage(const std::string& folder) {
    std::string dir = folder;
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
    size_t slash = dir.find_last_of("\\/");
    if (slash == std::string::npos) return std::string();
    std::string parent = dir.substr(0, slash);
    if (!EqualIgnoringCase(dir.substr(slash + 1), "Veldrin")) return std::string();
    if (!PathExists((dir + "\\veldrinins.ini").c_str())) return std::string();
    if (!PathExists((parent + "\\Veldrin\\veldrinins.ini").c_str())) return std::string();
    return Usable(parent) ? parent : std::string();
}

std::string SteamGameDirectory() {
    std::string steam = ReadStringValue(HKEY_CURRENT_USER, "Software\\Valve\\Steam", "SteamPath", 0);
    if (steam.empty()) return std::string();
    std::string dir = HalfLifeIn(steam);
    if (!dir.empty()) return dir;
    for (const std::string& library : SteamLibraries(steam + "\\steamapps\\libraryfolders.vdf")) {
        dir = HalfLifeIn(library);
        if (!dir.empty()) return dir;
    }
    return std::string();
}

std::string ProgramDirectory() {
    char buffer[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string path(buffer, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FindGameDirectory() {
    std::string dir = RegistryGameDirectory();
    if (!dir.empty()) return dir;
    for (const std::string& folder : {ProgramDirectory(), WorkingDirectory()}) {
        if (folder.empty()) continue;
        dir = GameDirectoryAbovePackage(folder);
        if (!dir.empty()) return dir;
    }
    return SteamGameDirectory();
}

}  // namespace platform
