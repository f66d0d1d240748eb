// The catalogue of mods and the status scan.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace {

// One catalogue line is read with this limit into a buffer one larger.
constexpr int kCatalogueLineLimit = 179;

void DropNewline(char* line) {
    size_t n = std::strlen(line);
    if (n > 0 && line[n - 1] == '\n') line[n - 1] = '\0';
}

}  // namespace

void InstallerCore::LoadCatalogue() {
    m_nModCount = 0;
    // Without a game directory the paths would start at the root of the
    // file system.
    if (g_szGameDir[0] == '\0') return;
    layout::PathBuffer path;
    if (!layout::ComposePath(path, layout::kCatalogue, g_szGameDir)) return;
    Trace("Parsing veldrinins.ini:\n\n");
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return;

    char name[kCatalogueLineLimit + 1];
    char folder[kCatalogueLineLimit + 1];
    char library[kCatalogueLineLimit + 1];
    while (file->ReadRow(name, kCatalogueLineLimit) && file->ReadRow(folder, kCatalogueLineLimit) &&
           file->ReadRow(library, kCatalogueLineLimit)) {
        DropNewline(name);
        DropNewline(folder);
        DropNewline(library);
        if (name[0] == '\0') continue;
        if (m_nModCount == MAX_MODS) {
            // The table has no room; the rest of the file is not read.
            Trace("More than %d mods in veldrinins.ini, ignoring from: %s\n", MAX_MODS, name);
            break;
        }
        m_strModFolder[m_nModCount] = folder;
        m_strModName[m_nModCount] = name;
        m_strModDll[m_nModCount] = library;
        Trace("Found MOD name:   %s\n", name);
        Trace("Found MOD folder: %s\n", folder);
        Trace("Found MOD dll:    %s\n", library);
        ++m_nModCount;
    }
    file->Close();
}

int InstallerCore::CheckModStatus(int slot) {
    if (slot < 0 || slot >= m_nModCount) return 0;
    const std::string& folder = m_strModFolder[slot];
    if (!layout::IsPlainName(folder)) {
        Trace("Skipping %s: \"%s\" is not a folder of the game directory\n", m_strModName[slot].c_str(),
              folder.c_str());
        return 0;
    }
    layout::PathBuffer path;
    if (!layout::ComposePath(path, layout::kLibList, g_szGameDir, folder.c_str())) return 0;
    Trace("Checking:\t\t%s\n", path);
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return 0;
    Trace("Found mod: %s\n", m_strModName[slot].c_str());

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
        Trace("Found veldrin.dll in liblist.gam\n");
        if (stamp < m_nSourceDate) {
            outdated = true;
            Trace("Found veldrin.dll in liblist.gam to be older from current\n");
        }
        // Every further row naming the bot decides the same, against the same
        // date: without a trace to write, the rest of the file is not read.
        if (!m_bLog) break;
    }
    if (!present) {
        installed = false;
        Trace("veldrin.dll is missing from mod dlls dir\n");
    }
    file->Close();

    if (!installed) return StatusNotInstalled;
    return outdated ? StatusNeedUpgrade : StatusInstalled;
}

std::string InstallerCore::LinuxServerLibrary(int slot) {
    layout::PathBuffer path;
    if (!SlotIsUsable(slot) || !layout::ComposePath(path, layout::kLibList, g_szGameDir, m_strModFolder[slot].c_str()))
        return std::string();
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return std::string();
    platform::RawRow raw;
    char row[liblist::kRowSize];
    std::string library;
    while (file->Rows().NextStartingWith(liblist::kRowSize, liblist::kMarker[0], raw)) {
        raw.Text(row);
        if (liblist::LinuxPathOfRow(row, library))
            return layout::ForPlayer((m_strModFolder[slot] + "\\" + library).c_str());
    }
    return std::string();
}

void InstallerCore::ScanMods(ModRowSink& rows) {
    Trace("\nInitializing MOD list\n");
    Trace("-----------------------\n");
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
        if (status == StatusNotInstalled) Trace("Marked as not installed\n");
        rows.SetModRowStatus(row, StatusText(status));
        ++row;
    }
}

void ModRowList::ClearModRows() {
    rows.clear();
    ++clears;
}

void ModRowList::InsertModRow(int row, const std::string& name) {
    const size_t at = std::min(static_cast<size_t>(row < 0 ? 0 : row), rows.size());
    inOrder = inOrder && at == rows.size() && row >= 0;
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
