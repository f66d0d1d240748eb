// The catalogue of mods: the package's veldrinins.ini, three lines a mod
// (name, folder, the base name of its own library), read into the slots.
#include "core/catalogue.h"

#include <cstring>

#include "core/paths.h"
#include "core/trace.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

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
    Trace(*this, "Parsing veldrinins.ini:\n\n");
    auto file = platform::TextFile::Open(path, "r");
    if (!file) return;

    char name[kCatalogueLineLimit + 1];
    char folder[kCatalogueLineLimit + 1];
    char library[kCatalogueLineLimit + 1];
    bool first = true;
    while (file->ReadRow(name, kCatalogueLineLimit) && file->ReadRow(folder, kCatalogueLineLimit) &&
           file->ReadRow(library, kCatalogueLineLimit)) {
        DropNewline(name);
        DropNewline(folder);
        DropNewline(library);
        // A file saved as UTF-8 by Notepad starts with a byte-order mark,
        // which is no part of the first mod's name.
        if (first && std::strncmp(name, "\xEF\xBB\xBF", 3) == 0)
            std::memmove(name, name + 3, std::strlen(name + 3) + 1);
        first = false;
        if (name[0] == '\0') continue;
        if (m_nModCount == MAX_MODS) {
            // The table has no room; the rest of the file is not read.
            Trace(*this, "More than %d mods in veldrinins.ini, ignoring from: %s\n", MAX_MODS, name);
            break;
        }
        m_strModFolder[m_nModCount] = folder;
        // The name is only shown: in whatever code page the package's
        // author wrote it, it is held as UTF-8. The folder and the library
        // name files, and stay the bytes they are.
        m_strModName[m_nModCount] = platform::PackageTextToUtf8(name);
        m_strModDll[m_nModCount] = library;
        Trace(*this, "Found MOD name:   %s\n", name);
        Trace(*this, "Found MOD folder: %s\n", folder);
        Trace(*this, "Found MOD dll:    %s\n", library);
        ++m_nModCount;
    }
    file.reset();  // closed within the operation, as every file is
}

bool UsableSlot(const InstallerCore& core, int slot) {
    return g_szGameDir[0] != '\0' && slot >= 0 && slot < core.m_nModCount &&
           layout::IsPlainName(core.m_strModFolder[slot]);
}
