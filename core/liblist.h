// A mod's liblist.gam: reading it in rows, finding the library its gamedll
// line names, and rewriting the gamedll lines.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class NewFile;
class TextFile;
}  // namespace platform

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

// The path a gamedll row loads, relative to the mod's folder, as the engine
// reads it: the text between the quotes after the marker (or, without an
// opening quote, the rest of the row), newline excluded. Returns false,
// leaving path alone, for a row that is no gamedll row.
bool GamedllPathOfRow(const char* row, std::string& path);

// True when the gamedll row names the bot's library.
bool NamesBot(const char* row);

enum class RewriteResult {
    NotOpened,  // the file could not be opened for reading; nothing changed
    Written,    // the new file is written (and, for RewriteLibList, in place)
    Failed,     // the new file could not be written; the old one is untouched
};

// The bytes a replacement row is written as: its text with LF as CR LF.
std::string AsWritten(const std::string& row);

// A rewrite of a liblist.gam in the making: every gamedll row (leading
// spaces allowed) replaced, every other byte kept as the file has it (NULs,
// lone CRs, a Ctrl-Z and all after it), except that a bare LF line end
// becomes CR LF, as a text-mode write makes it. The new content goes to a
// temporary file beside the original, which Commit puts in its place in one
// step, so the original is never left half written; until then it is as it
// was.
class LibListRewrite {
public:
    // Gives the bytes to write in place of the index-th gamedll row (from 0);
    // row is the row's bytes as the file has them.
    using Replacement = std::function<std::string(size_t index, const std::string& row)>;

    LibListRewrite();
    ~LibListRewrite();

    // Reads the file at path and writes its new content beside it. Returns
    // Written when the new content is ready for Commit, NotOpened when the
    // file cannot be read (nothing is written), Failed when the new content
    // cannot be written (the file layer's last failure tells why).
    RewriteResult Prepare(const char* path, const Replacement& replacement);

    // The gamedll rows Prepare replaced, as the file had them, in order.
    const std::vector<std::string>& Replaced() const { return replaced_; }

    // Puts the new content in the file's place, forced to the disk, with the
    // file's owner, group and permissions. Returns false, the file as it
    // was, on failure.
    bool Commit();

private:
    std::unique_ptr<platform::NewFile> out_;
    std::vector<std::string> replaced_;
};

// The gamedll lines an Install replaced, kept in a file beside liblist.gam
// (liblist.gam.veldrin) for Remove to give back. Plain text, a line for each
// replaced row, with CR LF line ends.
//
// Writes the rows (as liblist.gam had them) to path in one step, with the
// owner, group and permissions of the file model. Returns false, path as it
// was, on failure.
bool StoreLines(const char* path, const std::vector<std::string>& rows, const char* model);

// The lines stored at path, without their line ends. Returns false when
// there is no such file or it cannot be read.
bool ReadStoredLines(const char* path, std::vector<std::string>& lines);

// Prepares and commits a rewrite with one replacement row (text, LF written
// as CR LF) for every gamedll row. found is called once per replaced row,
// written once the new file is in place.
RewriteResult RewriteLibList(const char* path, const std::string& replacement, const std::function<void()>& found = {},
                             const std::function<void()>& written = {});

}  // namespace liblist
