// The status scan: the package library's date, each catalogued mod's state
// in the game directory, and the rows a front end shows.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/catalogue.h"
#include "core/installer_core.h"
#include "core/translations.h"
#include "core/liblist.h"
#include "core/paths.h"
#include "core/trace.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

int32_t DateStampOfFile(const char* path) {
    platform::FindData data;
    const platform::OwnedSearch search(platform::FindFirst(path, data));
    return search ? layout::DateStamp(data.lastWrite) : 0;
}

void InstallerCore::StampSourceLibrary() {
    layout::PathBuffer path;
    // A path too long for the buffer leaves no source library: Install then
    // refuses to touch any mod. So does an empty game directory, whose paths
    // would start at the root of the file system.
    if (!g_szGameDir[0] || !layout::ComposePath(path, layout::kSourceLibrary, g_szGameDir)) path[0] = '\0';
    m_strSourceDll = path;
    m_nSourceDate = path[0] ? DateStampOfFile(path) : 0;
    Trace(*this, "Veldrin.dll file time is: %d\n", m_nSourceDate);
}

int InstallerCore::CheckModStatus(int slot) {
    if (slot < 0 || slot >= m_nModCount) return 0;
    const std::string& folder = m_strModFolder[slot];
    if (!layout::IsPlainName(folder)) {
        Trace(*this, "Skipping %s: \"%s\" is not a folder of the game directory\n", m_strModName[slot].c_str(),
              folder.c_str());
        return 0;
    }
    layout::PathBuffer path;
    if (!layout::ComposePath(path, layout::kLibList, g_szGameDir, folder.c_str())) return 0;
    Trace(*this, "Checking:\t\t%s\n", path);
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return 0;
    Trace(*this, "Found mod: %s\n", m_strModName[slot].c_str());

    // The library is looked at once: the presence test opens it, and the
    // same look gives the date the rows that name it are checked against.
    // The date is looked up on the spelling the presence test and Install
    // use. On Windows "Veldrin.dll" reaches the same file; on a
    // case-sensitive disk one spelling keeps the two tests on one file, and
    // finds it without listing the dlls folder for another casing.
    layout::PathBuffer dll;
    platform::FileInfo library;
    const bool present = layout::ComposePath(dll, layout::kInstalledLibrary, g_szGameDir, folder.c_str()) &&
                         platform::ReadableFile(dll, &library);
    const int32_t stamp = present ? layout::DateStamp(platform::WriteDateOf(library)) : 0;

    bool installed = false;
    bool outdated = false;
    platform::RawRow raw;
    char row[liblist::kRowSize];
    std::string name;
    // Only rows that start with the marker's letter can name a library.
    while (file->Rows().NextStartingWith(liblist::kRowSize, liblist::kMarker[0], raw)) {
        raw.Text(row);
        if (!liblist::LibraryNameOfRow(row, name)) continue;
        if (platform::CompareIgnoringCase(name.c_str(), liblist::kBotLibrary) != 0) continue;
        installed = true;
        Trace(*this, "Found veldrin.dll in liblist.gam\n");
        if (stamp < m_nSourceDate) {
            outdated = true;
            Trace(*this, "Found veldrin.dll in liblist.gam to be older from current\n");
        }
        // Every further row naming the bot decides the same, against the same
        // date: without a trace to write, the rest of the file is not read.
        if (!m_bLog) break;
    }
    if (!present) {
        installed = false;
        Trace(*this, "veldrin.dll is missing from mod dlls dir\n");
    }
    file.reset();  // closed within the operation, as every file is

    if (!installed) return StatusNotInstalled;
    return outdated ? StatusNeedUpgrade : StatusInstalled;
}

std::string InstallerCore::LinuxServerLibrary(int slot) {
    layout::PathBuffer path;
    if (!UsableSlot(*this, slot) ||
        !layout::ComposePath(path, layout::kLibList, g_szGameDir, m_strModFolder[slot].c_str()))
        return std::string();
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return std::string();
    platform::RawRow raw;
    char row[liblist::kRowSize];
    std::string library;
    while (file->Rows().NextStartingWith(liblist::kRowSize, liblist::kMarker[0], raw)) {
        raw.Text(row);
        if (liblist::LinuxPathOfRow(row, library)) return layout::ForPlayerInMod(m_strModFolder[slot], library);
    }
    return std::string();
}

bool InstallerCore::UseGameDirectory(const std::string& dir, ModRowSink& rows) {
    // A cut path could name another folder.
    if (dir.size() >= sizeof g_szGameDir) return false;
    std::memcpy(g_szGameDir, dir.c_str(), dir.size() + 1);
    StampSourceLibrary();
    ScanMods(rows);
    return true;
}

void InstallerCore::ScanMods(ModRowSink& rows) {
    Trace(*this, "\nInitializing MOD list\n");
    Trace(*this, "-----------------------\n");
    m_nModCount = 0;
    rows.ClearModRows();
    LoadCatalogue();
    if (m_nModCount < 1) return;

    int row = 0;
    for (int slot = 0; slot < m_nModCount; ++slot) {
        int status = CheckModStatus(slot);
        if (status == 0) continue;
        rows.InsertModRow(row, m_strModName[slot]);
        rows.SetModRowData(row, ItemData(status, slot));
        if (status == StatusNotInstalled) Trace(*this, "Marked as not installed\n");
        rows.SetModRowStatus(row, StatusText(status));
        ++row;
    }
}

void ModRowList::ClearModRows() { rows.clear(); }

void ModRowList::InsertModRow(int row, const std::string& name) {
    const size_t at = std::min(static_cast<size_t>(row < 0 ? 0 : row), rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), Row{name, -1, ""});
}

void ModRowList::SetModRowData(int row, int32_t itemData) {
    if (row >= 0 && static_cast<size_t>(row) < rows.size()) rows[static_cast<size_t>(row)].data = itemData;
}

void ModRowList::SetModRowStatus(int row, const std::string& statusText) {
    if (row >= 0 && static_cast<size_t>(row) < rows.size()) rows[static_cast<size_t>(row)].status = statusText;
}

const ModRowList::Row* ModRowList::ForSlot(int slot) const {
    for (const Row& r : rows)
        if (ItemDataSlot(r.data) == slot) return &r;
    return nullptr;
}

const char* StatusText(int status) {
    switch (status) {
        case StatusInstalled: return TrMark("installed");
        case StatusNotInstalled: return TrMark("not installed");
        case StatusNeedUpgrade: return TrMark("need upgrade");
        default: return "";
    }
}
