#include "core/liblist.h"

#include <cstring>

#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace liblist {

std::string RemoveRow(const std::string& baseName) { return "gamedll \"dlls\\" + baseName + ".dll\"\n"; }

bool LibListBuffer::Read(const char* path) {
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return false;
    ReadFrom(*file);
    file->Close();
    return true;
}

void LibListBuffer::ReadFrom(platform::TextFile& file) {
    data_.clear();
    count_ = 0;
    char row[kRowSize];
    while (file.ReadRow(row, kRowSize)) {
        data_.resize((count_ + 1) * kRowSize);
        std::memcpy(&data_[count_ * kRowSize], row, kRowSize);
        ++count_;
    }
}

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

bool GamedllPathOfRow(const char* row, std::string& path) {
    if (!IsGamedllRow(row)) return false;
    const char* text = SkipSpaces(row) + kMarkerLength;
    while (*text == ' ') ++text;
    const char* end;
    if (*text == '"') {
        ++text;
        end = std::strchr(text, '"');
    } else {
        end = nullptr;
    }
    if (!end) {
        end = std::strchr(text, '\n');
        if (!end) end = text + std::strlen(text);
        if (end > text && end[-1] == '\r') --end;
    }
    path.assign(text, end);
    return true;
}

bool NamesBot(const char* row) {
    std::string name;
    return LibraryNameOfRow(row, name) && platform::CompareIgnoringCase(name.c_str(), kBotLibrary) == 0;
}

std::string AsWritten(const std::string& row) {
    std::string bytes;
    bytes.reserve(row.size() + 2);
    for (char c : row) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

namespace {
class GamedllEditor : public platform::RowEditor {
public:
    GamedllEditor(const LibListRewrite::Replacement& replacement, std::vector<std::string>& replaced)
        : replacement_(replacement), replaced_(replaced) {}

    bool Replace(const platform::RawRow& row, std::string& bytes) override {
        // The text of a row ends at a NUL, as the status check reads it.
        char text[kRowSize];
        row.Text(text);
        if (!IsGamedllRow(text)) return false;
        replaced_.emplace_back(row.raw, row.rawLength);
        bytes = replacement_(replaced_.size() - 1, replaced_.back());
        return true;
    }

private:
    const LibListRewrite::Replacement& replacement_;
    std::vector<std::string>& replaced_;
};
}  // namespace

LibListRewrite::LibListRewrite() = default;
LibListRewrite::~LibListRewrite() = default;

RewriteResult LibListRewrite::Prepare(const char* path, const Replacement& replacement) {
    out_.reset();
    replaced_.clear();
    auto in = platform::TextFile::Open(path, "r");
    if (!in) return RewriteResult::NotOpened;
    // Straight from the original into the new file, spans between the
    // replaced rows in blocks: memory stays one block however large the file
    // is. The temporary sits beside the original, so the final rename stays
    // within one folder and one file system.
    out_ = platform::NewFile::Beside(path);
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

namespace {
// A row's bytes without its line end.
std::string WithoutLineEnd(std::string row) {
    if (!row.empty() && row.back() == '\n') row.pop_back();
    if (!row.empty() && row.back() == '\r') row.pop_back();
    return row;
}
}  // namespace

bool StoreLines(const char* path, const std::vector<std::string>& rows, const char* model) {
    auto out = platform::NewFile::Beside(path);
    if (!out) return false;
    for (const std::string& row : rows) {
        const std::string line = WithoutLineEnd(row) + "\r\n";
        if (!out->Write(line.data(), line.size())) break;
    }
    return out->Commit(true, model);
}

bool ReadStoredLines(const char* path, std::vector<std::string>& lines) {
    lines.clear();
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return false;
    // A line is read whole up to this length, which no gamedll line reaches.
    constexpr int kLineLimit = 4096;
    platform::RawRow row;
    while (file->Rows().Next(kLineLimit, row)) lines.push_back(WithoutLineEnd(std::string(row.raw, row.rawLength)));
    return !file->ReadFailed();
}

RewriteResult RewriteLibList(const char* path, const std::string& replacement, const std::function<void()>& found,
                             const std::function<void()>& written) {
    const std::string bytes = AsWritten(replacement);
    LibListRewrite rewrite;
    RewriteResult result = rewrite.Prepare(path, [&](size_t, const std::string&) {
        if (found) found();
        return bytes;
    });
    if (result != RewriteResult::Written) return result;
    if (!rewrite.Commit()) return RewriteResult::Failed;
    if (written) written();
    return RewriteResult::Written;
}

}  // namespace liblist
