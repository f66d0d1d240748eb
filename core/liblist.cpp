#include "core/liblist.h"

#include <cstring>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace liblist {

std::string RemoveLine(const std::string& baseName) { return "gamedll \"dlls\\" + baseName + ".dll\""; }

namespace {
const char* SkipSpaces(const char* row) {
    while (*row == ' ') ++row;
    return row;
}

// Most rows differ from the marker at their first letter, which is all that
// needs a look then.
bool StartsWithMarker(const char* text) { return text[0] == 'g' && std::strncmp(text, kMarker, kMarkerLength) == 0; }
}  // namespace

bool IsGamedllRow(const char* row) { return StartsWithMarker(SkipSpaces(row)); }

bool LibraryNameOfRow(const char* row, std::string& name) {
    const char* text = SkipSpaces(row);
    if (!StartsWithMarker(text)) return false;
    const char* backslash = std::strchr(text, '\\');
    if (!backslash) return false;
    const char* start = backslash + 1;
    const char* end = std::strchr(start, '"');
    if (!end) {
        end = std::strchr(start, '\n');
        if (!end) end = start + std::strlen(start);
    }
    name.assign(start, end);
    return true;
}

namespace {
// The value of a key's row from text on, after the key: between quotes, or
// without an opening quote the rest of the row, line end excluded.
void ValueFrom(const char* text, std::string& value) {
    while (*text == ' ' || *text == '\t') ++text;
    const char* end;
    if (*text == '"') {
        ++text;
        end = std::strchr(text, '"');
    } else {
        end = nullptr;
    }
    if (!end) {
        const size_t length = std::strlen(text);
        end = text + length - platform::LineEndLength(text, length);
    }
    value.assign(text, end);
}
}  // namespace

bool GamedllPathOfRow(const char* row, std::string& path) {
    if (!IsGamedllRow(row)) return false;
    ValueFrom(SkipSpaces(row) + kMarkerLength, path);
    return true;
}

bool LinuxPathOfRow(const char* row, std::string& path) {
    static const char kKey[] = "gamedll_linux";
    const char* text = SkipSpaces(row);
    const size_t n = sizeof kKey - 1;
    if (std::strncmp(text, kKey, n) != 0 || (text[n] != ' ' && text[n] != '\t' && text[n] != '"')) return false;
    ValueFrom(text + n, path);
    return true;
}

void GamedllLine::Assign(const std::string& bytes) {
    const size_t n = bytes.size();
    const size_t end = platform::LineEndLength(bytes);
    text_.assign(bytes, 0, n - end);
    lineEnd_.assign(bytes, n - end, end);
}

std::string GamedllLine::Path() const {
    std::string path;
    PathInto(path);
    return path;
}

void GamedllLine::PathInto(std::string& path) const {
    if (!GamedllPathOfRow(text_.c_str(), path)) path.clear();
}

namespace {
class GamedllEditor : public platform::RowEditor {
public:
    GamedllEditor(const LibListRewrite::Replacement& replacement, size_t& replaced)
        : replacement_(replacement), replaced_(replaced) {}

    bool Starts(const platform::RawRow& row) override {
        // The text of a row ends at a NUL, as the status check reads it.
        char text[kRowSize];
        row.Text(text);
        return IsGamedllRow(text);
    }

    bool Replace(const std::string& line, std::string& bytes) override {
        bytes.clear();
        line_.Assign(line);
        return replacement_(replaced_++, line_, bytes);
    }

private:
    GamedllLine line_;
    const LibListRewrite::Replacement& replacement_;
    size_t& replaced_;
};
}  // namespace

LibListRewrite::LibListRewrite() = default;
LibListRewrite::~LibListRewrite() = default;

RewriteResult LibListRewrite::Prepare(const char* path, const Replacement& replacement) {
    out_.reset();
    replaced_ = 0;
    auto in = platform::TextFile::Open(path, "r");
    if (!in) return RewriteResult::NotOpened;
    // Straight from the original into the new file, spans between the
    // replaced lines in blocks. The temporary sits beside the original, so
    // the final rename stays within one folder and one file system.
    out_ = platform::NewFile::Beside(path, platform::LinkAtTarget::Follow);
    if (!out_) return RewriteResult::Failed;
    GamedllEditor editor(replacement, replaced_);
    if (!in->Rows().CopyEdited(kRowSize, kMarker[0], editor, *out_)) {
        out_.reset();
        return RewriteResult::Failed;
    }
    return RewriteResult::Written;
}

bool LibListRewrite::Commit() {
    if (!out_) return false;
    const bool ok = out_->Commit(true);
    out_.reset();
    return ok;
}

std::unique_ptr<KeptLinesWriter> KeptLinesWriter::Begin(const char* path) {
    std::unique_ptr<KeptLinesWriter> writer(new KeptLinesWriter);
    writer->out_ = platform::NewFile::Beside(path, platform::LinkAtTarget::Follow);
    if (!writer->out_) return nullptr;
    return writer;
}

KeptLinesWriter::~KeptLinesWriter() = default;

bool KeptLinesWriter::Add(const std::string& text) {
    return out_->Write(text.data(), text.size()) && out_->Write(platform::kTextModeLineEnd, 2);
}

bool KeptLinesWriter::Commit(const char* model) { return out_->Commit(true, model); }

std::unique_ptr<KeptLinesReader> KeptLinesReader::Open(const char* path) {
    std::unique_ptr<KeptLinesReader> reader(new KeptLinesReader);
    reader->file_ = platform::TextFile::Open(path, "r");
    if (!reader->file_) return nullptr;
    return reader;
}

KeptLinesReader::~KeptLinesReader() = default;

bool KeptLinesReader::Next(GamedllLine& line, int& number) {
    // Rows of a few kilobytes, joined until the line ends: a line is read
    // whole whatever its length, and the reader's buffer moves seldom.
    constexpr int kLimit = 4096;
    platform::RawRow row;
    for (;;) {
        bytes_.clear();
        bool any = false;
        while (file_->Rows().Next(kLimit, row)) {
            any = true;
            bytes_.append(row.raw, row.rawLength);
            if (row.raw[row.rawLength - 1] == '\n' || row.rawLength < static_cast<size_t>(kLimit - 1)) break;
        }
        if (!any) return false;
        ++number_;
        // Every line is given with CR LF, whatever the file has: it is the
        // line's text that goes back.
        const size_t end = bytes_.size() - platform::LineEndLength(bytes_);
        if (bytes_.find_first_not_of(" \t", 0) >= end) continue;
        bytes_.replace(end, std::string::npos, platform::kTextModeLineEnd);
        line.Assign(bytes_);
        number = number_;
        return true;
    }
}

bool KeptLinesReader::Failed() const { return file_->ReadFailed(); }

}  // namespace liblist
