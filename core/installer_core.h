// The installer core's public face: the state a front end holds (the trace
// switch, the package's library, the catalogue's slots, the game
// directory), the sink of the scan's rows, and the operations: the status
// scan, Install and Remove on a mod's liblist.gam and dlls folder, the trace.
//
// No user-interface code lives here. The dialog derives from InstallerCore
// and hands the scan its list control, a ModRowSink; the command line makes
// an InstallerCore of its own and collects the rows in a ModRowList.
// How the operations do their work is behind this header, one file or pair
// a job (docs/layout.md).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Lets the compiler check the arguments of a printf-style function against
// its format: parameter formatIndex is the format, the arguments start at
// parameter firstArgument (a member function's own object counts as 1).
#if defined(__GNUC__)
#define VELDRIN_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define VELDRIN_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// Every path the core composes fits a buffer of this size, terminator
// included.
constexpr int kPathBufferSize = 256;

// The Half-Life directory, at most 255 characters, set once at start-up. Every
// path the core composes starts with it, followed by a backslash.
extern char g_szGameDir[kPathBufferSize];

// The one catalogue slot whose mod is offered the weapon configuration.
constexpr int WEAPON_CONFIG_SLOT = 7;

// Number of catalogue slots; records beyond it are ignored.
constexpr int MAX_MODS = 50;

enum ModStatus { StatusInstalled = 1, StatusNotInstalled = 2, StatusNeedUpgrade = 3 };

// A row's item data: a mod's status and its catalogue slot in one number,
// 100 * status + slot (every slot is below MAX_MODS, so below 100).
constexpr int32_t ItemData(int status, int slot) { return 100 * status + slot; }

// The status that item data holds: item data / 100.
constexpr int ItemDataStatus(int32_t itemData) { return itemData / 100; }

// The catalogue slot that item data holds: item data % 100.
constexpr int ItemDataSlot(int32_t itemData) { return itemData % 100; }

// The change the dialog offers for a row, and the only one the command line
// makes: Install for a mod "not installed" or in "need upgrade", Remove for
// any other status.
constexpr bool OffersInstall(int32_t itemData) {
    return ItemDataStatus(itemData) == StatusNotInstalled || ItemDataStatus(itemData) == StatusNeedUpgrade;
}
constexpr bool OffersRemove(int32_t itemData) { return !OffersInstall(itemData); }

// The text the list shows for a status ("installed", "not installed",
// "need upgrade"); an empty string for any other value.
[[nodiscard]] const char* StatusText(int status);

struct InstallOptions {  // each true when its box is ticked
    bool bCopyNames = false, bCopyWaypoints = false, bCopyCfg = false, bCopyWpnConfigs = false, bCopyChat = false;
};

// Receives the rows of a scan. Row indexes count the mods shown, so they differ
// from slots when a catalogued mod is absent; the slot travels in the item data
// (ItemData).
class ModRowSink {
public:
    virtual ~ModRowSink() = default;
    virtual void ClearModRows() = 0;
    virtual void InsertModRow(int row, const std::string& name) = 0;
    virtual void SetModRowData(int row, int32_t itemData) = 0;
    virtual void SetModRowStatus(int row, const std::string& statusText) = 0;
};

// The rows of a scan as the dialog's list holds them before any sort: what
// the command line prints, and what the tests and benchmarks look at.
class ModRowList : public ModRowSink {
public:
    struct Row {
        std::string name;
        int32_t data = -1;  // item data; -1 until set
        std::string status;
    };
    std::vector<Row> rows;

    void ClearModRows() override;
    void InsertModRow(int row, const std::string& name) override;
    void SetModRowData(int row, int32_t itemData) override;
    void SetModRowStatus(int row, const std::string& statusText) override;

    // The row showing the mod of a slot, or null.
    const Row* ForSlot(int slot) const;
};

// Why an Install or Remove did not end as asked.
enum class ChangeProblem {
    None,                    // the mod ended as asked
    NoSuchMod,               // the item data names no catalogued mod of the game directory
    PackageLibraryUnusable,  // the package's bot library is missing, empty or unreadable
    StateChanged,            // the mod changed since the rows were read and no longer offers the change
    OwnLibraryMissing,       // Remove: the mod lacks the library its gamedll line would name
    OwnLibraryUnusable,      // Remove: that library is there but the game could not load it (the detail says why)
    NoGamedllLine,           // Install: the mod's liblist.gam has no gamedll line to point at the bot
    ModFolderIncomplete,     // the mod's folder lacks what a change needs (its dlls folder)
    KeptLinesUnfit,          // Remove: liblist.gam.veldrin does not fit the mod's liblist.gam
    KeptLinesNotGivenBack,   // Install: liblist.gam.veldrin keeps other lines, never given back
    InUse,                   // the game or a server has a file open
    AccessDenied,            // a file or folder may not be changed (read-only, permissions)
    DiskFull,                // no room left on the disk
    Busy,                    // another installer is changing the game folder or the mod's (the detail names it)
    Failed                   // anything else; the detail tells
};

// What the name of an extra the player changed gets for the package's copy
// that an Install sets beside it.
constexpr const char* kPackageCopySuffix = ".veldrin-new";

// What an Install or Remove achieved.
struct ChangeOutcome {
    ChangeProblem problem = ChangeProblem::None;  // None: the mod ended as asked
    std::string detail;  // for the player: the file (relative to the game folder) and the system's reason
    std::vector<std::string> extrasNotCopied;  // extras that failed; the mod itself may still be done
    // Remove, done: the bot's library that could not be deleted and stayed
    // behind, named by nothing, with the system's reason.
    std::string libraryLeft;
    // Remove, done: the library a line of liblist.gam.veldrin names that the
    // game could not load, with the rule it failed ("tfc/addons/x.dll: there
    // is no such file"), so the catalogue's library was written instead and
    // the file kept.
    std::string keptLinesNotGivenBack;
    // Install, done: liblist.gam.veldrin, which keeps lines an earlier
    // Install replaced and no Remove gave back; it stays as it was, for
    // Remove to give them back.
    std::string keptLinesStay;
    // Install, done: extras the player changed, or put there without
    // Install, which were kept as they are; the package's copy of each was
    // set beside it under its name and ".veldrin-new".
    std::vector<std::string> extrasKept;
    // Install, done: the library the mod's gamedll_linux line names, which
    // no change touches. A Linux server (or the game run natively on Linux)
    // loads it, not the bot: the package holds no Linux library of the bot.
    std::string linuxServerLibrary;
    [[nodiscard]] bool Done() const { return problem == ChangeProblem::None; }
};

// The UTC date of a file's last write as yyyymmdd; 0 when no file is found.
int32_t DateStampOfFile(const char* path);

class InstallerCore {
public:
    int m_bLog = 0;                     // trace switch: Veldrin.log when nonzero
    std::string m_strSourceDll;         // the package's bot library
    int32_t m_nSourceDate = 0;          // 0 when the package's library is missing
    std::string m_strModDll[MAX_MODS];  // catalogue line 3: the mod's own library
    int32_t m_nModCount = 0;
    std::string m_strModFolder[MAX_MODS];  // catalogue line 2: folder in the game directory
    std::string m_strModName[MAX_MODS];    // catalogue line 1: display name

    // Finds the package's bot library and stamps its last-write date.
    void StampSourceLibrary();

    // Makes dir the game directory (g_szGameDir), stamps the package's
    // library in it and scans its mods into rows: what the start-up, Browse
    // and the command line do with the folder they settle on. Returns false,
    // changing nothing, when dir is longer than g_szGameDir holds.
    [[nodiscard]] bool UseGameDirectory(const std::string& dir, ModRowSink& rows);

    // Reloads the catalogue and rebuilds the rows, one per catalogued mod
    // whose liblist.gam can be opened, in catalogue order.
    void ScanMods(ModRowSink& rows);

    // Installs the bot into the slot that itemData holds, then rescans.
    // Never leaves the mod's gamedll line naming a library that is not there:
    // when the library cannot be put in place, the mod is left unchanged.
    // Returns what was achieved: a problem leaves the mod as it was; extras
    // that could not be copied are listed while the mod itself may be done.
    ChangeOutcome InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows);

    // Points the slot's gamedll line back at the mod's own library and deletes
    // the bot library, then rescans. The library is deleted only once the
    // rewritten liblist.gam is in place. Returns what was achieved; a problem
    // leaves the mod as it was.
    ChangeOutcome RemoveMod(int32_t itemData, ModRowSink& rows);

    // Appends one printf-style message to Veldrin.log in the working
    // directory; the file is opened and closed for each message. A file that
    // cannot be opened loses the message.
    void WriteLog(const char* format, ...) VELDRIN_PRINTF_FORMAT(2, 3);

    // Reads the catalogue into the slots and sets m_nModCount. A missing
    // catalogue leaves the table empty.
    void LoadCatalogue();

    // The library the gamedll_linux line of the slot's liblist.gam names
    // (for the player, relative to the game folder), which no change
    // touches: a Linux server loads it, not the bot, since the package holds
    // no Linux library of the bot. Returns an empty string when the mod has
    // no such line or its liblist.gam cannot be read.
    std::string LinuxServerLibrary(int slot);

    // Decides the status of one catalogued mod: a ModStatus, or 0 when the mod
    // gets no row (its liblist.gam cannot be opened or its folder is unusable).
    int CheckModStatus(int slot);
};
