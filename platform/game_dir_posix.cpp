// The game directory's sources on a POSIX host: the Half-Life key in the
// Wine prefix's registry, the Steam folders of a Linux home, and the
// program's own folder.
#include "platform/game_dir.h"
#include "platform/steam_roots.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/path_posix.h"
#include "platform/text_encoding_native.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

// The Half-Life key in the registry's 32-bit view, where a 64-bit prefix
// keeps it, then in its 64-bit view, which in a 32-bit prefix is the 32-bit
// view itself: the views Windows reads, in the same order.
const char* const kGameKeys[] = {
    "Software\\Wow6432Node\\Sierra OnLine\\Setup\\HALFLIFE",
    "Software\\Sierra OnLine\\Setup\\HALFLIFE",
};
const char kGameValue[] = "directory";

unsigned long HexValue(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) ? static_cast<unsigned long>(c - '0')
                                                       : static_cast<unsigned long>(std::tolower(c) - 'a' + 10);
}

// Reads "\x" and up to four hex digits at text[pos] (pos after the "x"):
// one UTF-16 unit. Returns the number of digits read.
int ReadUtf16Unit(const std::string& text, size_t& pos, unsigned long& code) {
    code = 0;
    int digits = 0;
    while (digits < 4 && pos < text.size() && std::isxdigit(static_cast<unsigned char>(text[pos]))) {
        code = code * 16 + HexValue(text[pos++]);
        ++digits;
    }
    return digits;
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
                if (ReadUtf16Unit(text, pos, code) == 0) {
                    out += 'x';
                    break;
                }
                // A character past the first 65,536 comes as two units, a
                // high surrogate and a low one: joined, they are one
                // character. A lone surrogate stays as it is.
                size_t next = pos + 2;
                unsigned long low = 0;
                if (code >= 0xD800 && code <= 0xDBFF && text.compare(pos, 2, "\\x") == 0 &&
                    ReadUtf16Unit(text, next, low) > 0 && low >= 0xDC00 && low <= 0xDFFF) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    pos = next;
                }
                AppendUtf8(out, static_cast<char32_t>(code));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {  // up to three octal digits
                    unsigned long code = static_cast<unsigned long>(e - '0');
                    for (int digits = 1; digits < 3 && pos < text.size() && text[pos] >= '0' && text[pos] <= '7';
                         ++digits)
                        code = code * 8 + static_cast<unsigned long>(text[pos++] - '0');
                    AppendUtf8(out, static_cast<char32_t>(code));
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

}  // namespace

std::string WorkingDirectory() {
    std::vector<char> buffer(4096);
    return ::getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string();
}

std::vector<std::string> RegistryGameDirectories() {
    const std::string regFile = WinePrefix() + "/system.reg";
    std::vector<std::string> found;
    for (const char* key : kGameKeys) {
        std::string dir = ReadGameValue(regFile, key);
        if (!dir.empty() && dir.size() <= kMaxRegistryValueLength) found.push_back(dir);
    }
    return found;
}

std::string HomeDirectory() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::vector<std::string> SteamRoots() {
    std::string home = HomeDirectory();
    if (home.empty()) return {};
    // The native Steam's folder and the links it makes to it (a home may
    // keep only ~/.steam/root), then Flatpak's Steam, which keeps its home
    // under ~/.var/app.
    return {home + "/.local/share/Steam", home + "/.steam/steam", home + "/.steam/root",
            home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam"};
}

std::string ProgramDirectory() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return std::string();
    std::string path(buffer.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace platform
