// The game directory on a POSIX host: the Half-Life key in the Wine prefix's
// registry, else the package folder the program runs from, else Steam.
#include "platform/game_dir.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

// Where a 32-bit installer's key lies: as named, and on a 64-bit prefix in
// the 32-bit view of the machine's software.
const char* const kGameKeys[] = {
    "Software\\Sierra OnLine\\Setup\\HALFLIFE",
    "Software\\Wow6432Node\\Sierra OnLine\\Setup\\HALFLIFE",
};
const char kGameValue[] = "directory";

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return prefix;
    return HomeDirectory() + "/.wine";
}

bool EqualIgnoringCase(const std::string& a, const char* b) { return CompareIgnoringCase(a.c_str(), b) == 0; }

unsigned long HexValue(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) ? static_cast<unsigned long>(c - '0')
                                                       : static_cast<unsigned long>(std::tolower(c) - 'a' + 10);
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads the text of a quoted string of system.reg starting after its opening
// quote at text[pos], undoing Wine's escapes; pos ends after the closing
// quote. Returns false when the string is not closed on this line.
bool ReadRegString(const std::string& text, size_t& pos, std::string& out) {
    out.clear();
    while (pos < text.size()) {
        char c = text[pos++];
        if (c == '"') return true;
        if (c != '\\' || pos >= text.size()) {
            out += c;
            continue;
        }
        char e = text[pos++];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'v': out += '\v'; break;
        case 'e': out += '\x1b'; break;
        case 'x': {  // up to four hex digits: one UTF-16 unit
            unsigned long code = 0;
            int digits = 0;
            while (digits < 4 && pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos]))) {
                code = code * 16 + HexValue(text[pos++]);
                ++digits;
            }
            if (digits == 0) out += 'x';
            else AppendUtf8(out, code);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {  // up to three octal digits
                unsigned long code = static_cast<unsigned long>(e - '0');
                for (int digits = 1; digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7'; ++digits)
                    code = code * 8 + static_cast<unsigned long>(text[pos++] - '0');
                AppendUtf8(out, code);
            } else {
                out += e;  // \\ and \" stand for themselves
            }
        }
    }
    return false;
}

// The key name of a section line "[Key\\Name] 1700000000", unescaped.
bool ReadKeyName(const std::string& line, std::string& key) {
    key.clear();
    size_t pos = 1;
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == ']') return true;
        if (c == '\\' && pos < line.size()) c = line[pos++];
        key += c;
    }
    return false;
}

// The value "directory" of the section named key, or empty when absent.
std::string ReadGameValue(const std::string& regFile, const char* key) {
    std::ifstream in(regFile, std::ios::binary);
    if (!in) return std::string();
    std::string line, name, section, value;
    bool inKey = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inKey = ReadKeyName(line, section) && EqualIgnoringCase(section, key);
            continue;
        }
        if (!inKey || line.empty() || line[0] != '"') continue;
        size_t pos = 1;
        if (!ReadRegString(line, pos, name) || !EqualIgnoringCase(name, kGameValue)) continue;
        if (pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        // A plain string, or an expandable one written as str(2):"...".
        if (line.compare(pos, 7, "str(2):") == 0) pos += 7;
        if (pos >= line.size() || line[pos] != '"') continue;
        ++pos;
        if (ReadRegString(line, pos, value)) return value;
    }
    return std::string();
}

bool Usable(const std::string& dir) { return !dir.empty() && dir.size() <= kMaxGameDirLength; }

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

// The library folders a steamapps/libraryfolders.vdf lists: "path" entries,
// or in the older layout entries keyed by a number.
std::vector<std::string> SteamLibraries(const std::string& vdfFile) {
    std::vector<std::string> libraries;
    std::ifstream in(vdfFile, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> tokens = VdfTokens(line);
        if (tokens.size() != 2 || tokens[0].empty()) continue;
        // A path is handed to the file calls as a C string: one holding a NUL
        // would name a different, shorter folder than the file says.
        if (tokens[1].find('\0') != std::string::npos) continue;
        bool numbered = tokens[0].find_first_not_of("0123456789") == std::string::npos;
        if (EqualIgnoringCase(tokens[0], "path") || numbered) libraries.push_back(tokens[1]);
    }
    return libraries;
}

std::string HalfLifeIn(const std::string& library) {
    std::string dir = library + "/steamapps/common/Half-Life";
    if (!IsDirectory(dir.c_str())) return std::string();
    dir = ResolvePath(dir.c_str());
    return Usable(dir) ? dir : std::string();
}

std::string WorkingDirectory() {
    std::vector<char> buffer(4096);
    return ::getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

}  // namespace

std::string RegistryGameDirectory() {
    std::string regFile = WinePrefix() + "/system.reg";
    for (const char* key : kGameKeys) {
        std::string dir = ReadGameValue(regFile, key);
        if (!dir.empty()) return Usable(dir) ? dir : std::string();
    }
    return std::string();
}

std::string GameDirectoryAbovePackage(const std::string& folder) {
    std::string dir = folder;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    size_t slash = dir.rfind('/');
    if (slash == std::string::npos) return std::string();
    std::string parent = slash == 0 ? "/" : dir.substr(0, slash);
    // The package folder is the one the core's paths name: "Veldrin" inside
    // the game directory, holding the catalogue.
    if (!EqualIgnoringCase(dir.substr(slash + 1), "Veldrin")) return std::string();
    if (!PathExists((dir + "/veldrinins.ini").c_str())) return std::string();
    if (!PathExists((parent + "\\Veldrin\\veldrinins.ini").c_str())) return std::string();
    return Usable(parent) ? parent : std::string();
}

std::string SteamGameDirectory() {
    std::string home = HomeDirectory();
    if (home.empty()) return std::string();
    const std::string roots[] = {home + "/.local/share/Steam", home + "/.steam/steam"};
    for (const std::string& root : roots) {
        std::string dir = HalfLifeIn(root);
        if (!dir.empty()) return dir;
    }
    for (const std::string& root : roots) {
        for (const std::string& library : SteamLibraries(root + "/steamapps/libraryfolders.vdf")) {
            std::string dir = HalfLifeIn(library);
            if (!dir.empty()) return dir;
        }
    }
    return std::string();
}

std::string ProgramDirectory() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    std::string path(buffer.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
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
