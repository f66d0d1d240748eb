// Fuzzes the catalogue loading and the status scan that follows it.
//
// The input is the package's veldrinins.ini in a real game folder holding a
// few mods and, beside it, a folder outside the game directory that a mod
// line must never reach. Properties: the table holds the records an fgets
// loop with a limit of 179 gives, three lines each, empty names skipped, at
// most 50; every row belongs to a stored record whose folder is a plain
// folder name with a readable liblist.gam, in catalogue order, with the item
// data of its status and slot; every such record gets its row.
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/installer_core.h"
#include "fuzz_support.h"
#include "support/recording_sink.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace {

struct Record {
    std::string name, folder, library;
};

using Rows = test::RecordingSink;

std::vector<Record> ExpectedRecords(const std::string& bytes) {
    std::vector<std::string> lines = fuzz::FgetsPieces(fuzz::TextModeRead(bytes), 179);
    std::vector<Record> records;
    auto field = [](const std::string& piece) {
        std::string s = fuzz::AsCString(piece);
        if (!s.empty() && s.back() == '\n') s.pop_back();
        return s;
    };
    for (size_t i = 0; i + 3 <= lines.size() && records.size() < MAX_MODS; i += 3) {
        Record r{field(lines[i]), field(lines[i + 1]), field(lines[i + 2])};
        // The byte-order mark of a file saved as UTF-8 is no part of a name.
        if (i == 0 && r.name.compare(0, 3, "\xEF\xBB\xBF") == 0) r.name.erase(0, 3);
        if (r.name.empty()) continue;
        // A name is shown, so held as UTF-8; folders and libraries stay bytes.
        r.name = platform::PackageTextToUtf8(r.name);
        records.push_back(r);
    }
    return records;
}

void MakeGameFolder(const fuzz::fs::path& game) {
    fuzz::WriteBytes(game / "Veldrin" / "veldrin.dll", "MZ bot");
    fuzz::WriteBytes(game / "cstrike" / "liblist.gam", "game \"CS\"\r\ngamedll \"dlls\\veldrin.dll\"\r\n");
    fuzz::WriteBytes(game / "cstrike" / "dlls" / "veldrin.dll", "MZ bot");
    fuzz::WriteBytes(game / "Valve" / "LIBLIST.GAM", "gamedll \"dlls\\hl.dll\"\r\n");
    fuzz::WriteBytes(game / "dmc" / "liblist.gam", "  gamedll \"dlls\\VELDRIN.DLL\"\n");
    fuzz::fs::create_directories(game / "dmc" / "dlls" / "veldrin.dll");  // a folder, not a library
    fuzz::fs::create_directories(game / "empty");
    // Outside the game directory: reachable only through "..", a separator or
    // a drive, none of which a folder line may hold.
    fuzz::WriteBytes(game.parent_path() / "outside" / "liblist.gam", "gamedll \"dlls\\veldrin.dll\"\n");
    fuzz::WriteBytes(game.parent_path() / "wine" / "dosdevices" / "c:" / "liblist.gam", "x\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::fs::path game = [] {
        fuzz::fs::path g = fuzz::Scratch() / "Half-Life";
        MakeGameFolder(g);
        std::strcpy(g_szGameDir, g.c_str());
        fuzz::fs::current_path(fuzz::Scratch());
        return g;
    }();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::WriteBytes(game / "Veldrin" / "veldrinins.ini", bytes);

    InstallerCore core;
    // The trace formats every field too; it is slow under the sanitizers, so
    // one input in eight (by its size) runs with it.
    core.m_bLog = size % 8 == 0;
    core.StampSourceLibrary();
    Rows sink;
    core.ScanMods(sink);
    std::remove("Veldrin.log");
    FUZZ_CHECK(sink.inOrder);  // each row after the last, in catalogue order

    const std::vector<Record> expected = ExpectedRecords(bytes);
    FUZZ_CHECK(core.m_nModCount == static_cast<int32_t>(expected.size()));
    for (int slot = 0; slot < core.m_nModCount; ++slot) {
        FUZZ_CHECK(core.m_strModName[slot] == expected[slot].name);
        FUZZ_CHECK(platform::IsUtf8(core.m_strModName[slot]));
        FUZZ_CHECK(core.m_strModFolder[slot] == expected[slot].folder);
        FUZZ_CHECK(core.m_strModDll[slot] == expected[slot].library);
    }

    size_t row = 0;
    for (int slot = 0; slot < core.m_nModCount; ++slot) {
        const std::string& folder = core.m_strModFolder[slot];
        layout::PathBuffer libList;
        bool shown = layout::IsPlainName(folder) &&
                     layout::ComposePath(libList, layout::kLibList, g_szGameDir, folder.c_str()) &&
                     platform::PathExists(libList) && !platform::IsDirectory(libList);
        if (!shown) continue;
        FUZZ_CHECK(row < sink.rows.size());
        const Rows::Row& r = sink.rows[row++];
        FUZZ_CHECK(ItemDataSlot(r.data) == slot);
        FUZZ_CHECK(ItemDataStatus(r.data) >= StatusInstalled && ItemDataStatus(r.data) <= StatusNeedUpgrade);
        FUZZ_CHECK(r.data == ItemData(ItemDataStatus(r.data), slot));
        FUZZ_CHECK(r.name == core.m_strModName[slot]);
        FUZZ_CHECK(r.status == StatusText(ItemDataStatus(r.data)));
    }
    FUZZ_CHECK(row == sink.rows.size());
    return 0;
}
