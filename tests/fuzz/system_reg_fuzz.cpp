// Fuzzes the reader of the Wine prefix's system.reg, where the Half-Life key
// gives the game directory.
//
// Mode 0 (first byte even): the rest of the input is the whole system.reg.
// Properties: the result is empty or a directory of at most 255 characters,
// and CR LF line ends read as LF ones do.
// Mode 1: the rest is a directory name as UTF-16 units, written into a
// well-formed system.reg with Wine's escapes among noise keys. Property: it
// reads back as its UTF-8 text when it fits 255 bytes, else as nothing.
#include <string>

#include "core/game_folder.h"
#include "fuzz_support.h"
#include "platform/game_dir.h"
#include "support/game_folder.h"

namespace {

std::string Crlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// The UTF-8 form of a code unit that is no surrogate: one byte below 0x80,
// else a lead byte carrying the top bits and one continuation byte for each
// further six bits.
std::string Utf8(unsigned code) {
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    const int more = code < 0x800 ? 1 : 2;
    const unsigned lead = more == 1 ? 0xC0 : 0xE0;
    std::string bytes(1, static_cast<char>(lead | (code >> (6 * more))));
    for (int shift = 6 * (more - 1); shift >= 0; shift -= 6)
        bytes += static_cast<char>(0x80 | ((code >> shift) & 0x3F));
    return bytes;
}

bool IsHex(unsigned c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsOctal(unsigned c) { return c >= '0' && c <= '7'; }

// A string as Wine writes it into a .reg file.
std::string WineEscape(const std::vector<unsigned>& units) {
    std::string out;
    char buf[16];
    for (size_t i = 0; i < units.size(); ++i) {
        unsigned c = units[i];
        unsigned next = i + 1 < units.size() ? units[i + 1] : 0;
        if (c > 127) {
            std::snprintf(buf, sizeof buf, IsHex(next) ? "\\x%04x" : "\\x%x", c);
            out += buf;
        } else if (c < 32) {
            const char* escapes = "\a\b\t\n\v\f\r\x1b";
            const char* letters = "abtnvfre";
            const char* e = c ? std::strchr(escapes, static_cast<int>(c)) : nullptr;
            if (e) {
                out += '\\';
                out += letters[e - escapes];
            } else {
                std::snprintf(buf, sizeof buf, IsOctal(next) ? "\\%03o" : "\\%o", c);
                out += buf;
            }
        } else if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

const char kHeader[] =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
    "[Software\\\\Classes\\\\.txt] 1700000000\n#time=1d9\n@=\"txtfile\"\n\"directory\"=\"C:\\\\wrong\"\n\n"
    "[Software\\\\Sierra OnLine\\\\Setup] 1700000000\n\"directory\"=\"C:\\\\also wrong\"\n\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::fs::path reg = fuzz::Scratch() / "wine" / "system.reg";
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);

    if ((data[0] & 1) == 0) {
        fuzz::WriteBytes(reg, rest);
        const std::string dir = test::FirstOf(platform::RegistryGameDirectories());
        FUZZ_CHECK(dir.size() <= platform::kMaxRegistryValueLength);
        fuzz::WriteBytes(reg, Crlf(rest));
        FUZZ_CHECK(test::FirstOf(platform::RegistryGameDirectories()) == dir);
        return 0;
    }

    std::vector<unsigned> units;
    for (size_t i = 0; i + 1 < rest.size(); i += 2) {
        unsigned u =
            static_cast<unsigned char>(rest[i]) | static_cast<unsigned>(static_cast<unsigned char>(rest[i + 1])) << 8;
        if (u == 0 || (u >= 0xD800 && u <= 0xDFFF)) continue;  // no terminator, no surrogate halves
        units.push_back(u);
    }
    std::string expected;
    for (unsigned u : units) expected += Utf8(u);
    const char* key = (data[0] & 2) ? "Software\\\\Wow6432Node\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE"
                                    : "Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE";
    std::string file = std::string(kHeader) + "[" + key + "] 1700000000\n#time=1d9\n" +
                       ((data[0] & 4) ? "\"Other\"=dword:00000001\n" : "") + "\"" +
                       ((data[0] & 8) ? "Directory" : "directory") + "\"=" + ((data[0] & 16) ? "str(2):" : "") + "\"" +
                       WineEscape(units) + "\"\n\n[Software\\\\Zzz] 1700000000\n\"directory\"=\"C:\\\\no\"\n";
    if (data[0] & 32) file = Crlf(file);
    fuzz::WriteBytes(reg, file);
    const std::string dir = test::FirstOf(platform::RegistryGameDirectories());
    if (expected.empty() || expected.size() > platform::kMaxRegistryValueLength) {
        FUZZ_CHECK(dir.empty());
    } else {
        FUZZ_CHECK(dir == expected);
    }
    return 0;
}
