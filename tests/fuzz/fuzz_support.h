// Shared by the fuzz targets: a sandbox that lives as long as the fuzzing
// process, the tests' file helpers, and reference models of the Windows
// text-mode reading that the targets compare the program against.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/sandbox.h"

namespace fuzz {

namespace fs = std::filesystem;

// Stops the run with a message when a property does not hold; libFuzzer then
// saves the input that broke it.
#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

// A folder made once per process and removed when the process exits
// normally, with HOME and WINEPREFIX inside it: inside $VELDRIN_FUZZ_SCRATCH
// when set, else in memory when /dev/shm is there, so that runs are fast.
inline const fs::path& Scratch() {
    static const test::Sandbox sandbox("veldrin-fuzz-", [] {
        const char* given = std::getenv("VELDRIN_FUZZ_SCRATCH");
        if (given && *given) return fs::path(given);
        return fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::path();
    }());
    if (sandbox.Root().empty()) std::abort();
    return sandbox.Root();
}

using test::ReadBytes;
using test::WriteBytes;

// What a text-mode read delivers: CR LF as LF, a lone CR kept, nothing after
// the first Ctrl-Z.
inline std::string TextModeRead(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\x1a') break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out += '\n';
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The pieces an fgets loop with this limit returns from text, each at most
// limit - 1 characters and ending after a newline when one comes in time.
inline std::vector<std::string> FgetsPieces(const std::string& text, size_t limit) {
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < text.size()) {
        size_t n = 0;
        while (i + n < text.size() && n < limit - 1) {
            ++n;
            if (text[i + n - 1] == '\n') break;
        }
        pieces.emplace_back(text, i, n);
        i += n;
    }
    return pieces;
}

// The file's bytes an fgets loop with this limit reads each piece from, in
// text mode: a CR LF is one character, and the text ends at the first
// Ctrl-Z. rest is set to the bytes from that Ctrl-Z on.
inline std::vector<std::string> RawFgetsPieces(const std::string& bytes, size_t limit, std::string& rest) {
    const size_t end = std::min(bytes.find('\x1a'), bytes.size());
    rest = bytes.substr(end);
    std::vector<std::string> pieces;
    size_t i = 0;
    while (i < end) {
        std::string piece;
        size_t chars = 0;
        while (i < end && chars < limit - 1) {
            const bool crlf = bytes[i] == '\r' && i + 1 < end && bytes[i + 1] == '\n';
            piece.append(bytes, i, crlf ? 2 : 1);
            i += crlf ? 2 : 1;
            ++chars;
            if (piece.back() == '\n') break;
        }
        pieces.push_back(piece);
    }
    return pieces;
}

// A piece as a C string sees it: up to its first NUL.
inline std::string AsCString(const std::string& piece) { return std::string(piece.c_str()); }

}  // namespace fuzz
