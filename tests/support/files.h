// Reading and writing real files for the tests, byte for byte, and the few
// questions the tests ask of a folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace test {

namespace fs = std::filesystem;

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const fs::path& path);

// Replaces the file with the bytes, making its folders first.
void WriteBytes(const fs::path& path, const std::string& bytes);
void WriteBytes(const fs::path& path, const uint8_t* data, size_t size);

// "a\nb\n" as a Windows editor saves it: "a\r\nb\r\n". Every LF gets a CR
// before it, which is also what a text-mode write stores.
std::string Crlf(const std::string& text);

// A path as the core takes it: narrow text, whatever the host's own path type.
std::string Narrow(const fs::path& path);

// True when a temporary file of the file layer (its name "~veldrin-" and
// letters, beside the file it was to replace) is left anywhere under dir.
bool TempFilesLeft(const fs::path& dir);

// The names a search of the file layer returns for a Windows pattern
// ("C:\Games\*.vwp"), in the order it returns them; none when it finds none.
std::vector<std::string> SearchNames(const std::string& pattern);

}  // namespace test
