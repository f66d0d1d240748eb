// The text mode of the Windows C runtime, written once for every host on the
// system calls of native_file.h.
#include "platform/text_file.h"

#include "platform/file.h"
#include "platform/native_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

constexpr size_t kBlock = 64 * 1024;
constexpr char kCtrlZ = '\x1a';

}  // namespace

RowReader::RowReader(native::Handle file, uint64_t size, std::string path)
    : file_(file), size_(size), path_(std::move(path)) {}

RowReader::~RowReader() { Close(); }

void RowReader::Close() {
    if (file_ != native::kNoHandle) native::Close(file_);
    file_ = native::kNoHandle;
    eof_ = true;
}

// Reads until at least wanted bytes stand from pos_ on, or the file ends.
bool RowReader::Fill(size_t wanted) {
    if (!buffer_) {
        // A small file fits a buffer one byte larger than itself: a short
        // read that brings the whole file as it was when opened is its end,
        // and needs no further read to tell.
        capacity_ = size_ < kBlock ? static_cast<size_t>(size_) + 1 : kBlock;
        buffer_.reset(new char[capacity_]);
    }
    while (len_ - pos_ < wanted && !eof_) {
        if (pos_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, len_ - pos_);
            len_ -= pos_;
            ctrlZ_ = ctrlZ_ >= pos_ ? ctrlZ_ - pos_ : 0;
            pos_ = 0;
        }
        if (len_ == capacity_) {
            const size_t bigger = std::max({capacity_ * 2, wanted + 1, kBlock});
            std::unique_ptr<char[]> grown(new char[bigger]);
            std::memcpy(grown.get(), buffer_.get(), len_);
            buffer_ = std::move(grown);
            capacity_ = bigger;
        }
        size_t got = 0;
        if (FaultInjected(FileOp::Read, path_.c_str()) ||
            !native::Read(file_, buffer_.get() + len_, capacity_ - len_, got)) {
            failed_ = true;
            eof_ = true;
            break;
        }
        plainEnd_ = kUnknown;
        // The first Ctrl-Z is looked for once, as the bytes arrive.
        const bool found = ctrlZ_ < len_;
        const size_t before = len_;
        len_ += got;
        done_ += got;
        if (!found) {
            const void* z = std::memchr(buffer_.get() + before, kCtrlZ, got);
            ctrlZ_ = z ? static_cast<size_t>(static_cast<const char*>(z) - buffer_.get()) : len_;
        }
        if (got == 0 || (done_ >= size_ && len_ < capacity_)) eof_ = true;
    }
    return len_ > pos_;
}

size_t RowReader::RowAt(size_t chars, bool& crlf) {
    crlf = false;
    // A row of chars characters takes at most chars + 1 bytes: a CR LF at
    // its end is one character.
    if (len_ - pos_ <= chars && !eof_) Fill(chars + 1);
    if (!buffer_ || pos_ >= len_) return 0;
    const char* at = buffer_.get() + pos_;
    const size_t window = std::min(len_ - pos_, chars + 1);
    const size_t end = std::min(window, ctrlZ_ - pos_);  // the text stops at a Ctrl-Z
    const void* lf = std::memchr(at, '\n', end);
    if (lf) {
        const size_t i = static_cast<size_t>(static_cast<const char*>(lf) - at);
        if (i > 0 && at[i - 1] == '\r') {
            crlf = true;
            return i + 1;
        }
        if (i + 1 <= chars) return i + 1;
    }
    return std::min(end, chars);
}

size_t RowReader::PlainLinesEnd() {
    // Found once for each filling of the buffer.
    if (plainEnd_ == kUnknown) {
        plainEnd_ = 0;
        const char* base = buffer_.get();
        for (size_t i = std::min(len_, ctrlZ_); i > pos_; --i) {
            if (base[i - 1] == '\n') {
                plainEnd_ = i;
                break;
            }
        }
    }
    return plainEnd_;
}

namespace {

// The first newline in [from, to), or to when there is none: most rows are
// a few dozen bytes, too short for a library search to pay for its start.
inline const char* FindNewline(const char* from, const char* to) {
#if defined(__SSE2__)
    const __m128i newline = _mm_set1_epi8('\n');
    for (; from + 16 <= to; from += 16) {
        const int mask =
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), newline));
        if (mask) return from + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    for (; from < to; ++from)
        if (*from == '\n') return from;
    return to;
}

}  // namespace

size_t RowReader::SkipPlainLines(size_t end, size_t chars, char first) const {
    // Whole lines, each one row long, that start with neither first nor a
    // space: the common lines of a file, which need no look of their own.
    const char* base = buffer_.get();
    size_t line = pos_;
    auto plainStart = [&](size_t at) { return at < end && base[at] != first && base[at] != ' '; };
    // The line from line to its newline at lf is one row, with the newline
    // it may have.
    auto plainLine = [&](size_t lf) {
        const bool crlf = lf > line && base[lf - 1] == '\r';
        return lf - line + (crlf ? 0 : 1) <= chars;
    };
    if (!plainStart(line)) return line;
#if defined(__SSE2__)
    // Sixty-four bytes a step: the newlines of a block are found at once, and
    // then only each line's ends are looked at.
    const __m128i newline = _mm_set1_epi8('\n');
    auto newlines = [&](const char* at) {
        uint64_t mask = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k));
            mask |= static_cast<uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, newline))))
                    << (16 * k);
        }
        return mask;
    };
    for (size_t i = line; i + 64 <= end; i += 64) {
        for (uint64_t mask = newlines(base + i); mask; mask &= mask - 1) {
            const size_t lf = i + static_cast<size_t>(__builtin_ctzll(mask));
            if (!plainLine(lf)) return line;
            line = lf + 1;
            if (!plainStart(line)) return line;
        }
        if (i + 64 - line > chars + 1) return line;  // a long line: rows of its own
    }
#endif
    while (plainStart(line)) {
        const char* reach = base + std::min(end, line + chars + 1);
        const char* found = FindNewline(base + line, reach);
        if (found == reach || !plainLine(static_cast<size_t>(found - base))) break;
        line = static_cast<size_t>(found - base) + 1;
    }
    return line;
}

bool RowReader::Next(int limit, RawRow& row) {
    if (textEnded_ || limit <= 1) return false;
    bool crlf = false;
    const size_t length = RowAt(static_cast<size_t>(limit - 1), crlf);
    if (length == 0) {
        textEnded_ = true;
        return false;
    }
    row.raw = buffer_.get() + pos_;
    row.rawLength = length;
    row.crlf = crlf;
    pos_ += length;
    return true;
}

bool RowReader::NextStartingWith(int limit, char first, RawRow& row) {
    if (textEnded_ || limit <= 1) return false;
    const size_t chars = static_cast<size_t>(limit - 1);
    for (;;) {
        if (len_ - pos_ <= chars && !eof_) Fill(chars + 1);
        pos_ = SkipPlainLines(PlainLinesEnd(), chars, first);
        bool crlf = false;
        const size_t length = RowAt(chars, crlf);
        if (length == 0) {
            textEnded_ = true;
            return false;
        }
        const char* at = buffer_.get() + pos_;
        pos_ += length;
        // Most rows differ at their first character, which is all they need.
        if (at[0] != first && at[0] != ' ') continue;
        size_t spaces = 0;
        while (spaces < length && at[spaces] == ' ') ++spaces;
        if (spaces == length || at[spaces] != first) continue;
        row.raw = at;
        row.rawLength = length;
        row.crlf = crlf;
        return true;
    }
}

void RowReader::TakeLine(size_t length, size_t chars, std::string& line) {
    for (;;) {
        const char* at = buffer_.get() + pos_;
        line.append(at, length);
        pos_ += length;
        // A row ends its line when it ends with a newline, or when the text
        // ends before the row is full.
        if (at[length - 1] == '\n' || length < chars) return;
        bool crlf = false;
        length = RowAt(chars, crlf);
        if (length == 0) return;
    }
}

bool RowReader::CopyEdited(int limit, char first, RowEditor& editor, NewFile& out) {
    if (textEnded_ || limit <= 1) return false;
    const size_t chars = static_cast<size_t>(limit - 1);
    std::string line, replacement;
    bool ok = true;
    // The bytes from kept on are written as they are, in one piece, when a
    // line needs something else or the buffer moves.
    size_t kept = pos_;
    auto keep = [&](size_t upTo) {
        if (upTo > kept && ok) ok = out.Write(buffer_.get() + kept, upTo - kept);
        kept = upTo;
    };
    size_t plainEnd = PlainLinesEnd();
    while (ok) {
        if (len_ - pos_ <= chars && !eof_) {
            keep(pos_);
            Fill(chars + 1);
            kept = pos_;
            plainEnd = PlainLinesEnd();
        }
        // Plain lines pass as they are; the buffer may need filling after them.
        const size_t skipped = SkipPlainLines(plainEnd, chars, first);
        if (skipped != pos_) {
            pos_ = skipped;
            continue;
        }
        bool crlf = false;
        const size_t length = RowAt(chars, crlf);
        if (length == 0) break;
        const char* at = buffer_.get() + pos_;
        if (at[0] == first || at[0] == ' ') {
            size_t spaces = 0;
            while (spaces < length && at[spaces] == ' ') ++spaces;
            if (spaces < length && at[spaces] == first && editor.Starts(RawRow{at, length, crlf})) {
                keep(pos_);
                line.clear();
                // The rows after the first may need the buffer filled, which
                // moves it: what is kept starts again after the line.
                TakeLine(length, chars, line);
                kept = pos_;
                plainEnd = PlainLinesEnd();
                ok = ok && editor.Replace(line, replacement) && out.Write(replacement.data(), replacement.size());
                continue;
            }
        }
        pos_ += length;
    }
    keep(pos_);
    textEnded_ = true;
    const char* rest;
    size_t restLength;
    while (ok && NextRest(rest, restLength)) ok = out.Write(rest, restLength);
    return ok && !failed_;
}

bool RowReader::NextRest(const char*& data, size_t& length) {
    if (!textEnded_) return false;
    if (len_ == pos_ && !Fill(1)) return false;
    data = buffer_.get() + pos_;
    length = len_ - pos_;
    pos_ = len_;
    return true;
}

std::unique_ptr<TextFile> TextFile::Open(const char* path, const char* mode) {
    const char m = mode ? mode[0] : '\0';
    if (m != 'r' && m != 'w' && m != 'a') {
        Fail(FileError::Failed, "no such mode");
        return nullptr;
    }
    if (FaultInjected(m == 'r' ? FileOp::OpenRead : FileOp::OpenWrite, path)) return nullptr;
    if (!path || !*path) {
        Fail(FileError::NotFound, ReasonText(FileError::NotFound));
        return nullptr;
    }
    std::unique_ptr<TextFile> text(new TextFile);
    text->path_ = path;
    text->mode_ = m;
    if (m == 'r') {
        native::Info info;
        native::Handle file = native::OpenRead(path, &info);
        if (file == native::kNoHandle) return nullptr;
        text->reader_ = std::make_unique<RowReader>(file, info.size, path);
        return text;
    }
    const std::string host = ResolvePath(path);
    native::Info info;
    if (native::InfoAt(host, info) && RefusesChange(info)) return nullptr;
    text->out_ = native::OpenWrite(host, m == 'a');
    if (text->out_ == native::kNoHandle) return nullptr;
    return text;
}

// A destructor has no one to tell of a failed close: a caller that cares
// closes first and looks.
TextFile::~TextFile() { Finish(); }

bool TextFile::ReadRow(char* buffer, int limit, size_t* length) {
    if (length) *length = 0;
    if (limit <= 0) return false;
    buffer[0] = '\0';
    RawRow row;
    if (!reader_ || !reader_->Next(limit, row)) return false;
    row.Text(buffer);
    if (length) *length = row.TextLength();
    return true;
}

bool TextFile::ReadFailed() const { return reader_ && reader_->Failed(); }

std::string TextModeBytes(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16 + 2);
    for (size_t at = 0; at < text.size();) {
        const size_t nl = text.find('\n', at);
        const size_t run = (nl == std::string::npos ? text.size() : nl) - at;
        bytes.append(text, at, run);
        if (nl == std::string::npos) break;
        bytes += kTextModeLineEnd;
        at = nl + 1;
    }
    return bytes;
}

size_t LineEndLength(const char* line, size_t length) {
    if (length == 0 || line[length - 1] != '\n') return 0;
    return length >= 2 && line[length - 2] == '\r' ? 2 : 1;
}

bool TextFile::Write(const char* text, size_t length) {
    if (out_ == native::kNoHandle || failed_) return false;
    if (FaultInjected(FileOp::Write, path_.c_str())) failed_ = true;
    const std::string bytes = failed_ ? std::string() : TextModeBytes(std::string(text, length));
    if (!failed_ && !native::Write(out_, bytes.data(), bytes.size())) failed_ = true;
    return !failed_;
}

bool TextFile::Close() { return Finish(); }

bool TextFile::Finish() {
    if (closed_) return closeResult_;
    closed_ = true;
    if (reader_) {
        reader_->Close();
        return closeResult_ = true;
    }
    // A file that never opened has nothing to close, and its failure stays
    // the one that tells why.
    if (out_ == native::kNoHandle) return closeResult_ = false;
    bool ok = !failed_;
    // A file written anew must be on disk before it may replace another.
    if (mode_ == 'w' && ok && (FaultInjected(FileOp::Flush, path_.c_str()) || !native::Sync(out_))) ok = false;
    if (!native::Close(out_)) ok = false;
    out_ = native::kNoHandle;
    if (FaultInjected(FileOp::Close, path_.c_str())) ok = false;
    return closeResult_ = ok;
}

}  // namespace platform
