// A mod's liblist.gam: reading it in rows, finding the library its gamedll
// line names, and rewriting the gamedll lines.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace platform {
class TextFile;
}

namespace liblist {

// A row is what one fgets with this limit returns: at most 79 characters.
constexpr int kRowSize = 80;

// The key that starts a gamedll row, compared case-sensitively.
constexpr const char* kMarker = "gamedll ";
constexpr size_t kMarkerLength = 8;

// The row Install writes.
constexpr const char* kInstallRow = "gamedll \"dlls\\veldrin.dll\"\n";

// The library name of the bot, compared ignoring case.
constexpr const char* kBotLibrary = "veldrin.dll";

// The row Remove writes: the gamedll line naming the mod's own library.
// Never cut, however long the base name.
std::string RemoveRow(const std::string& baseName);

// A liblist.gam held as the rows an fgets loop with kRowSize returns, each
// in an 80-byte slot. A line of 79 characters or more takes several rows.
// There is no limit on the number of rows.
class LibListBuffer {
public:
    // Reads every row of the file. Returns false when it cannot be opened.
    bool Read(const char* path);
    void ReadFrom(platform::TextFile& file);

    size_t RowCount() const { return count_; }
    const char* Row(size_t index) const { return &data_[index * kRowSize]; }

private:
    std::vector<char> data_;
    size_t count_ = 0;
};

// True when the row, after any leading spaces, begins with the gamedll marker.
bool IsGamedllRow(const char* row);

// The library a gamedll row names: the text after the row's first backslash
// up to the next double quote, or up to the row's end (newline excluded) when
// there is no quote. Returns false, leaving name alone, for a row that is no
// gamedll row or has no backslash. Never reads past the row.
bool LibraryNameOfRow(const char* row, std::string& name);

enum class RewriteResult {
    NotOpened,  // the file could not be opened for reading; nothing changed
    Written,    // the new file is in place
    Failed,     // the new file could not be written; the old one is untouched
};

// Replaces every gamedll row (leading spaces allowed) with replacement and
// writes every other row back byte for byte. The new content goes to a
// temporary file beside the original, which then replaces it in one step, so
// the original is never left half written. found is called once per replaced
// row, written once the new file is in place.
RewriteResult RewriteLibList(const char* path, const std::string& replacement,
                             const std::function<void()>& found = {},
                             const std::function<void()>& written = {});

}  // namespace liblist
