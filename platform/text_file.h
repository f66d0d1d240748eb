// Text files as the Windows C runtime's text mode has them, on every host:
// CR LF reads as LF (a lone CR stays), a Ctrl-Z ends the text, and LF is
// written as CR LF. Reading comes in rows, as fgets gives them.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "platform/native_handle.h"

namespace platform {

class NewFile;

// One row as fgets with a limit returns it: at most limit - 1 characters,
// ending after a newline when the line fits. raw points at the file's own
// bytes it came from, in the reader's buffer until the next call: the text
// with the newline as the file had it (CR LF, or a bare LF).
struct RawRow {
    const char* raw = nullptr;
    size_t rawLength = 0;
    bool crlf = false;  // ends with CR LF, which the text has as one LF

    size_t TextLength() const { return rawLength - (crlf ? 1 : 0); }
    // Copies the row's text, as fgets gives it (CR LF as LF), with a
    // terminating zero into buffer, which has room for TextLength() + 1.
    void Text(char* buffer) const {
        const size_t n = TextLength();
        std::memcpy(buffer, raw, n);
        if (crlf) buffer[n - 1] = '\n';
        buffer[n] = '\0';
    }
};

// What a rewrite that keeps a file's bytes does with its lines.
class RowEditor {
public:
    virtual ~RowEditor() = default;
    // Called for a row whose first character after any spaces is the one the
    // rewrite looks for. Returns true when the line from this row on is to be
    // replaced: the row and every further row of the same line.
    virtual bool Starts(const RawRow& row) = 0;
    // Gives the bytes to write instead of the line Starts took (written as
    // they are): line holds its bytes as the file has them, its line end
    // included (CR LF, LF, or none where the text ends). Returns false to
    // stop the rewrite, which then fails.
    virtual bool Replace(const std::string& line, std::string& replacement) = 0;
};

// Reads a file's rows as the Windows C runtime's text mode does: every row
// of the text, then, for a caller that writes the file back, every byte from
// a Ctrl-Z on. Each row is whole in the buffer, so a caller sees the bytes
// it came from as they are, NULs and lone CRs included.
class RowReader {
public:
    // Takes over file, open for reading, of the given size when opened;
    // path names it for the fault seam.
    RowReader(native::Handle file, uint64_t size, std::string path);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // The next row of at most limit - 1 characters. False at the end of the
    // text: the end of the file, a Ctrl-Z, or a read error (Failed tells).
    [[nodiscard]] bool Next(int limit, RawRow& row);

    // The next row of at most limit - 1 characters whose first character
    // after any spaces is first; the rows before it are passed over. False
    // at the end of the text, as Next.
    [[nodiscard]] bool NextStartingWith(int limit, char first, RawRow& row);

    // Writes the rest of the file to out as a rewrite that keeps its bytes:
    // rows of limit - 1 characters whose first character after any spaces is
    // first are offered to editor, which may replace the line from that row
    // on; every other byte is written as the file has it, line ends, NULs,
    // lone CRs and the bytes from a Ctrl-Z on included. Returns false when a
    // read, a write or the editor failed.
    [[nodiscard]] bool CopyEdited(int limit, char first, RowEditor& editor, NewFile& out);

    // After Next has returned false: the next block of the bytes from the
    // Ctrl-Z on, the Ctrl-Z included, as they are. False when there are no
    // more (none at all when the text ended with the file).
    [[nodiscard]] bool NextRest(const char*& data, size_t& length);

    // True when reading stopped at an error rather than at the end of the
    // file: what was read is then only part of it.
    [[nodiscard]] bool Failed() const { return failed_; }

    // Closes the file; further reads find nothing.
    void Close();

private:
    bool Fill(size_t wanted);
    // The length of the row at pos_ of at most chars characters (0 at the
    // end of the text), crlf set when it ends with CR LF.
    size_t RowAt(size_t chars, bool& crlf);
    // Where the whole lines of the text in the buffer from pos_ on end.
    size_t PlainLinesEnd();
    // From pos_, at a line start, the start of the first line before end
    // that needs a look: one longer than a row, or starting with first or a
    // space.
    size_t SkipPlainLines(size_t end, size_t chars, char first) const;
    // The rest of the line whose first row of length bytes stands at pos_,
    // appended to line: every further row up to the line's end. pos_ moves
    // past it.
    void TakeLine(size_t length, size_t chars, std::string& line);

    native::Handle file_;
    uint64_t size_, done_ = 0;
    std::string path_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0, pos_ = 0, len_ = 0;
    size_t ctrlZ_ = 0;  // where the first Ctrl-Z in the buffer stands from pos_ on; len_ when none
    static constexpr size_t kUnknown = ~size_t{0};
    size_t plainEnd_ = kUnknown;  // where the buffer's whole lines end
    bool eof_ = false, textEnded_ = false, failed_ = false;
};

// A text file in the Windows C runtime's text mode.
class TextFile {
public:
    // Opens path with mode "r", "w" (create or truncate) or "a" (append).
    // Returns null when the file cannot be opened (LastFailure tells why);
    // for reading, anything but a regular file counts as missing.
    [[nodiscard]] static std::unique_ptr<TextFile> Open(const char* path, const char* mode);

    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // fgets: reads at most limit - 1 characters into buffer, stopping after a
    // newline, which it keeps, and terminates the text. Returns false when
    // nothing could be read (end of the text or error). length, when given,
    // is set to the number of characters read, NULs included.
    [[nodiscard]] bool ReadRow(char* buffer, int limit, size_t* length = nullptr);

    // True when reading stopped at an error rather than at the end of the
    // file: what was read is then only part of it.
    [[nodiscard]] bool ReadFailed() const;

    // The rows of a file opened for reading, for a caller that needs the
    // file's own bytes.
    RowReader& Rows() { return *reader_; }

    // Writes length bytes of text, LF as CR LF. Returns false on any error
    // (disk full, ...).
    [[nodiscard]] bool Write(const char* text, size_t length);
    [[nodiscard]] bool Write(const std::string& text) { return Write(text.data(), text.size()); }

    // Closes; a file written with mode "w" is first forced to disk. Returns
    // false when anything written could not be stored. Further calls do
    // nothing and return the first result.
    [[nodiscard]] bool Close();

private:
    bool Finish();  // Close, for the destructor too
    TextFile() = default;

    std::unique_ptr<RowReader> reader_;
    native::Handle out_ = native::kNoHandle;
    std::string path_;
    char mode_ = 'r';
    bool failed_ = false, closed_ = false, closeResult_ = true;
};

// The line end a text-mode write stores for LF.
constexpr const char* kTextModeLineEnd = "\r\n";

// The bytes a text-mode write stores for text: every LF as CR LF.
std::string TextModeBytes(const std::string& text);

// How many of the last bytes of line (length bytes) are its line end: 2 for
// CR LF, 1 for a bare LF, 0 for none (a lone CR is no line end).
size_t LineEndLength(const char* line, size_t length);
inline size_t LineEndLength(const std::string& line) { return LineEndLength(line.data(), line.size()); }

}  // namespace platform
