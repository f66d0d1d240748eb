// A mod's liblist.gam: reading it in rows, finding the library its gamedll
// line names, and rewriting the gamedll lines.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>
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

// The line Install writes, without its line end.
constexpr const char* kInstallLine = "gamedll \"dlls\\veldrin.dll\"";

// The library name of the bot, compared ignoring case.
constexpr const char* kBotLibrary = "veldrin.dll";

// The line Remove writes without its line end: the gamedll line naming the
// mod's own library. Never cut, however long the base name.
std::string RemoveLine(const std::string& baseName);

// True when the row, after any leading spaces, begins with the gamedll marker.
[[nodiscard]] bool IsGamedllRow(const char* row);

// The library a gamedll row names: the text after the row's first backslash
// up to the next double quote, or up to the row's end (newline excluded) when
// there is no quote. Returns false, leaving name alone, for a row that is no
// gamedll row or has no backslash. Never reads past the row.
[[nodiscard]] bool LibraryNameOfRow(const char* row, std::string& name);

// The path a gamedll row loads, relative to the mod's folder, as the engine
// reads it: the text between the quotes after the marker (or, without an
// opening quote, the rest of the row), newline excluded. Returns false,
// leaving path alone, for a row that is no gamedll row.
[[nodiscard]] bool GamedllPathOfRow(const char* row, std::string& path);

// The path a gamedll_linux row loads on a Linux server, relative to the
// mod's folder: the text between its quotes (or the rest of the row), line
// end excluded. Returns false, leaving path alone, for any other row.
[[nodiscard]] bool LinuxPathOfRow(const char* row, std::string& path);

// A gamedll line as liblist.gam has it: the row that starts with the marker
// and every further row of the same line, so that a line of any length is
// one piece. Install keeps the lines it replaces as these; Remove gives them
// back as these.
class GamedllLine {
public:
    // bytes: the line as the file has it, its line end included.
    explicit GamedllLine(const std::string& bytes = std::string()) { Assign(bytes); }
    // Makes it the line of bytes, reusing the room it has.
    void Assign(const std::string& bytes);

    // The line without its line end.
    const std::string& Text() const { return text_; }
    // The line end as the file has it: CR LF, LF, or none where the text ends.
    const std::string& LineEnd() const { return lineEnd_; }
    // The path the line loads, relative to the mod's folder, as the engine
    // reads it (GamedllPathOfRow); empty for a line that is no gamedll line.
    std::string Path() const;
    // The same into path, whose room is reused: a file of millions of lines
    // asks it of each.
    void PathInto(std::string& path) const;
    // The line with another line end: its text, then end.
    void TextWith(const std::string& end, std::string& bytes) const { bytes.assign(text_).append(end); }

private:
    std::string text_, lineEnd_;
};

enum class RewriteResult {
    NotOpened,  // the file could not be opened for reading; nothing changed
    Written,    // the new file is written beside the original, ready to be put in place
    Failed,     // the new file could not be written; the old one is untouched
};

// A rewrite of a liblist.gam in the making: every gamedll line (leading
// spaces allowed) replaced, every other byte kept as the file has it (line
// ends, NULs, lone CRs, a Ctrl-Z and all after it). The new content goes to
// a temporary file beside the original, which Commit puts in its place in
// one step, so the original is never left half written; until then it is as
// it was. Memory stays one block and one line, however large the file.
class LibListRewrite {
public:
    // Sets bytes to what is written in place of the index-th gamedll line
    // (from 0). Returns false to stop the rewrite, which then fails.
    using Replacement = std::function<bool(size_t index, const GamedllLine& line, std::string& bytes)>;

    LibListRewrite();
    ~LibListRewrite();

    // Reads the file at path and writes its new content beside it. Returns
    // Written when the new content is ready for Commit, NotOpened when the
    // file cannot be read (nothing is written), Failed when the new content
    // cannot be written or the replacement stopped it (the file layer's last
    // failure tells why).
    RewriteResult Prepare(const char* path, const Replacement& replacement);

    // How many gamedll lines Prepare replaced.
    size_t Replaced() const { return replaced_; }

    // Puts the new content in the file's place, forced to the disk, with the
    // file's owner, group and permissions. Returns false, the file as it
    // was, on failure.
    [[nodiscard]] bool Commit();

private:
    std::unique_ptr<platform::NewFile> out_;
    size_t replaced_ = 0;
};

// The gamedll lines an Install replaced, kept in a file beside liblist.gam
// (liblist.gam.veldrin) for Remove to give back: plain text, one line for
// each replaced line, whole however long, with CR LF line ends.
class KeptLinesWriter {
public:
    // Starts the new file beside path, which it replaces at Commit (a link
    // at path stays a link: the file it reaches is replaced). Returns null
    // when it cannot be made.
    [[nodiscard]] static std::unique_ptr<KeptLinesWriter> Begin(const char* path);
    ~KeptLinesWriter();

    // Adds a line, given without its line end. Returns false on failure.
    [[nodiscard]] bool Add(const std::string& text);

    // Puts the file in place in one step, forced to the disk, with the
    // owner, group and permissions of the file model. Returns false, the old
    // file as it was, on failure.
    [[nodiscard]] bool Commit(const char* model);

private:
    KeptLinesWriter() = default;
    std::unique_ptr<platform::NewFile> out_;
};

// Reads the lines a KeptLinesWriter wrote, or a person edited since.
class KeptLinesReader {
public:
    // Opens the file at path. Returns null when it cannot be opened (the
    // file layer's last failure tells whether it is missing).
    [[nodiscard]] static std::unique_ptr<KeptLinesReader> Open(const char* path);
    ~KeptLinesReader();

    // The next line that is not blank (blank: nothing but spaces and tabs),
    // whole however long, as a line ending with CR LF; number is its line
    // number in the file, from 1. False at the end, or when reading failed
    // (Failed tells).
    [[nodiscard]] bool Next(GamedllLine& line, int& number);
    [[nodiscard]] bool Failed() const;

private:
    KeptLinesReader() = default;
    std::unique_ptr<platform::TextFile> file_;
    std::string bytes_;
    int number_ = 0;
};

}  // namespace liblist
