#include "core/liblist.h"

#include <cstring>

#include "platform/file_system.h"

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

RewriteResult RewriteLibList(const char* path, const std::string& replacement, const std::function<void()>& found,
                             const std::function<void()>& written) {
    auto in = platform::TextFile::Open(path, "r");
    if (!in) return RewriteResult::NotOpened;

    // Row by row from the original straight into the new file, so that memory
    // stays one row however large the file is. The temporary name sits beside
    // the original so the final rename stays within one folder and one file
    // system.
    const std::string temp = std::string(path) + ".veldrin-new";
    auto out = platform::TextFile::Open(temp.c_str(), "w");
    bool ok = out != nullptr;
    char row[kRowSize];
    while (in->ReadRow(row, kRowSize)) {
        const bool replace = IsGamedllRow(row);
        if (replace && found) found();
        if (ok) ok = replace ? out->Write(replacement) : out->Write(row, std::strlen(row));
    }
    // A read that broke off would leave the rest of the file out of the new one.
    if (in->ReadFailed()) ok = false;
    // Closed before the rename: Windows cannot replace a file that is open.
    in->Close();
    if (out) ok = out->Close() && ok;
    ok = ok && platform::RenameOver(temp.c_str(), path);
    if (!ok) {
        platform::RemoveFile(temp.c_str());
        return RewriteResult::Failed;
    }
    if (written) written();
    return RewriteResult::Written;
}

}  // namespace liblist
