#include "core/extras_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/paths.h"

namespace extras {

namespace {

// Longer lines are no line of the record: a path never fits them.
constexpr int kLineLimit = 600;

const char kHeading[] =
    "// The extras the Veldrin installer put in this mod: size, last write, file. An upgrade replaces only\r\n"
    "// the files still as it left them; your own or changed files stay, the package's copy beside them.\r\n";

}  // namespace

InstalledFiles::InstalledFiles(const std::string& folder) {
    if (!layout::ComposePath(path_, layout::kInstalledRecord, g_szGameDir, folder.c_str())) return;
    auto file = platform::TextFile::Open(path_, "r");
    if (!file) return;
    char line[kLineLimit + 1];
    while (file->ReadRow(line, kLineLimit)) {
        size_t n = std::strlen(line);
        if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
        // "size time path": two numbers, one space after each, then the path.
        char* end = nullptr;
        Entry entry;
        if (line[0] < '0' || line[0] > '9') continue;
        entry.size = std::strtoull(line, &end, 10);
        if (*end != ' ' || ((end[1] < '0' || end[1] > '9') && end[1] != '-')) continue;
        entry.writeTime = std::strtoll(end + 1, &end, 10);
        if (*end != ' ' || !end[1]) continue;
        entry.name = end + 1;
        files_[Key(entry.name)] = entry;
    }
}

std::string InstalledFiles::Key(const std::string& relative) {
    // Windows finds a file whatever the case of its name and separators.
    std::string key = relative;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c == '/') c = '\\';
    }
    return key;
}

bool InstalledFiles::MayReplace(const std::string& relative, const platform::FileInfo& source,
                                const platform::FileInfo& existing) const {
    if (existing.size == source.size && existing.writeTime == source.writeTime) return true;
    auto found = files_.find(Key(relative));
    return found != files_.end() && found->second.size == existing.size &&
           found->second.writeTime == existing.writeTime;
}

void InstalledFiles::Note(const std::string& relative, const platform::FileInfo& copy) {
    Entry& entry = files_[Key(relative)];
    if (entry.size == copy.size && entry.writeTime == copy.writeTime && entry.name == relative) return;
    entry.size = copy.size;
    entry.writeTime = copy.writeTime;
    entry.name = relative;
    changed_ = true;
}

bool InstalledFiles::Save(const char* model) {
    if (!changed_ || !path_[0]) return true;
    auto out = platform::NewFile::Beside(path_, platform::LinkAtTarget::Follow);
    bool ok = out && out->Write(kHeading, sizeof kHeading - 1);
    char numbers[64];
    for (auto it = files_.begin(); ok && it != files_.end(); ++it) {
        const int n =
            std::snprintf(numbers, sizeof numbers, "%" PRIu64 " %" PRId64 " ", it->second.size, it->second.writeTime);
        ok = out->Write(numbers, static_cast<size_t>(n)) &&
             out->Write(it->second.name.data(), it->second.name.size()) && out->Write("\r\n", 2);
    }
    // Lost in a crash, the record only keeps more files at the next
    // upgrade: it need not wait for the disk.
    return ok && out->Commit(false, model);
}

}  // namespace extras
