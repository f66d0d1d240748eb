#include "ui/command_line.h"

#include <wx/cmdline.h>
#include <wx/msgout.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/installer_core.h"
#include "platform/game_dir.h"

#ifndef VELDRIN_VERSION
#define VELDRIN_VERSION "unknown"
#endif

namespace {

// Switches and options have no short names: the long ones are what scripts
// read best.
constexpr auto kSwitch = wxCMD_LINE_SWITCH;
constexpr auto kOption = wxCMD_LINE_OPTION;
constexpr auto kNone = wxCMD_LINE_VAL_NONE;
constexpr auto kText = wxCMD_LINE_VAL_STRING;

const wxCmdLineEntryDesc kOptions[] = {
    {kSwitch, nullptr, "list",
     "print the mods the dialog would list, a line each: folder, status and name, separated by tabs", kNone, 0},
    {kOption, nullptr, "install",
     "install the bot into the mod of this folder (cstrike, ...), with the extras the dialog ticks", kText, 0},
    {kOption, nullptr, "remove", "remove the bot from the mod of this folder", kText, 0},
    {kOption, nullptr, "game-dir",
     "the Half-Life folder, holding Veldrin\\veldrinins.ini (found as the dialog finds it when not given)", kText, 0},
    {kSwitch, nullptr, "no-names", "--install: do not copy the names file", kNone, 0},
    {kSwitch, nullptr, "no-waypoints", "--install: do not copy the waypoints", kNone, 0},
    {kSwitch, nullptr, "no-cfg", "--install: do not copy Veldrin.cfg", kNone, 0},
    {kSwitch, nullptr, "no-chat", "--install: do not copy the chat file", kNone, 0},
    {kSwitch, nullptr, "no-wpn-configs", "--install: do not copy the weapon configuration (one mod has it)", kNone, 0},
    {kSwitch, nullptr, "help", "show this help", kNone, wxCMD_LINE_OPTION_HELP},
    {kSwitch, nullptr, "version", "show the version", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "\nWithout arguments the program opens its window.", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "\nExit status:", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "  0  the mod ended as asked", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "  1  the mod could not be changed and is left as it was", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "  2  a usage error, or a mod that is not in the list", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "  3  no game folder, or no catalogue in it", kNone, 0},
    {wxCMD_LINE_USAGE_TEXT, nullptr, nullptr, "  4  the mod was changed, but some extras could not be copied", kNone,
     0},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, kNone, 0}};

const char* const kExtraSwitches[] = {"no-names", "no-waypoints", "no-cfg", "no-chat", "no-wpn-configs"};

// The core's strings are bytes in the ANSI code page. Arguments go to the
// parser as Latin-1 and come back the same way, so a folder name reaches the
// core byte for byte, whatever the locale.
wxString FromBytes(const char* text) { return wxString(text, wxConvISO8859_1); }

std::string ToBytes(const wxString& text) {
    const wxCharBuffer bytes = text.mb_str(wxConvISO8859_1);
    return std::string(bytes.data(), bytes.length());
}

// Paths in messages are written as the player's system writes them.
#ifdef _WIN32
const std::string kSeparator = "\\";
#else
const std::string kSeparator = "/";
#endif

void Tell(const std::string& message) { std::fprintf(stderr, "VeldrinIns: %s\n", message.c_str()); }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y)) return false;
    }
    return true;
}

struct ModRow {
    std::string name;
    int32_t itemData = 0;
    std::string status;
};

// The rows of a scan, as the dialog's list would hold them before any sort.
class RowCollector : public ModRowSink {
public:
    std::vector<ModRow> rows;

    void ClearModRows() override { rows.clear(); }
    void InsertModRow(int row, const std::string& name) override {
        ModRow added;
        added.name = name;
        rows.insert(rows.begin() + std::min(static_cast<size_t>(row), rows.size()), added);
    }
    void SetModRowData(int row, int32_t itemData) override {
        if (static_cast<size_t>(row) < rows.size()) rows[row].itemData = itemData;
    }
    void SetModRowStatus(int row, const std::string& statusText) override {
        if (static_cast<size_t>(row) < rows.size()) rows[row].status = statusText;
    }
};

int SlotOf(const ModRow& row) { return ItemDataSlot(row.itemData); }

const ModRow* RowOfFolder(const RowCollector& list, const InstallerCore& core, const std::string& folder) {
    for (const ModRow& row : list.rows)
        if (EqualIgnoringCase(core.m_strModFolder[SlotOf(row)], folder)) return &row;
    return nullptr;
}

void PrintRow(const ModRow& row, const InstallerCore& core) {
    std::printf("%s\t%s\t%s\n", core.m_strModFolder[SlotOf(row)].c_str(), row.status.c_str(), row.name.c_str());
}

const char* ProblemText(ChangeProblem problem) {
    switch (problem) {
        case ChangeProblem::NoSuchMod: return "the mod is no longer in the catalogue";
        case ChangeProblem::PackageLibraryUnusable: return "the package's bot library cannot be read";
        case ChangeProblem::OwnLibraryMissing: return "the mod's own game library is missing";
        case ChangeProblem::InUse: return "a file is in use (is the game or a server running?)";
        case ChangeProblem::AccessDenied: return "a file may not be changed";
        case ChangeProblem::DiskFull: return "the disk is full";
        case ChangeProblem::Busy: return "another installer is changing this game folder";
        default: return "a file could not be changed";
    }
}

// Puts the game directory in g_szGameDir: the one given, else the dialog's
// lookup. Returns false, having told why, when there is none to use.
bool SetGameDirectory(const wxCmdLineParser& parser) {
    wxString given;
    std::string dir;
    if (parser.Found("game-dir", &given)) {
        dir = ToBytes(given);
        // "Half-Life/" would put a second separator before every name.
        while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\') && dir[dir.size() - 2] != ':')
            dir.pop_back();
    } else {
        dir = platform::FindGameDirectory();
        if (dir.empty()) {
            Tell(
                "no game folder found: no Half-Life key in the registry, no Veldrin package folder holding the "
                "program or the working directory, no Steam Half-Life folder; name one with --game-dir");
            return false;
        }
    }
    if (dir.size() > platform::kMaxGameDirLength) {
        Tell("the game folder \"" + dir + "\" is longer than " + std::to_string(platform::kMaxGameDirLength) +
             " characters, which the installer cannot use");
        return false;
    }
    if (!platform::HoldsPackage(dir)) {
        Tell("the game folder \"" + dir + "\" holds no Veldrin" + kSeparator + "veldrinins.ini" +
             ": unpack the Veldrin package there, or name another folder with --game-dir");
        return false;
    }
    std::strncpy(g_szGameDir, dir.c_str(), sizeof g_szGameDir - 1);
    g_szGameDir[sizeof g_szGameDir - 1] = '\0';
    return true;
}

int Usage(const wxCmdLineParser& parser, const std::string& problem) {
    if (!problem.empty()) Tell(problem);
    std::fputs(parser.GetUsageString().mb_str(), stderr);
    return kCommandUsage;
}

// Installs or removes, and tells the result.
int Change(InstallerCore& core, RowCollector& list, const ModRow& target, bool install, const InstallOptions& options) {
    const int slot = SlotOf(target);
    const std::string mod = core.m_strModFolder[slot] + " (" + core.m_strModName[slot] + ")";
    const ChangeOutcome outcome =
        install ? core.InstallMod(target.itemData, options, list) : core.RemoveMod(target.itemData, list);
    const char* verb = install ? "install the bot into " : "remove the bot from ";

    if (!outcome.Done()) {
        std::string message = std::string("could not ") + verb + mod + ", " + ProblemText(outcome.problem);
        if (!outcome.detail.empty()) message += " (" + outcome.detail + ")";
        Tell(message + "; the mod is left as it was");
        return kCommandNotChanged;
    }

    // The scan after the change has the last word: a liblist.gam without a
    // gamedll line takes the library and still does not load the bot.
    const ModRow* after = nullptr;
    for (const ModRow& row : list.rows)
        if (SlotOf(row) == slot) after = &row;
    const int asked = install ? StatusInstalled : StatusNotInstalled;
    if (!after || ItemDataStatus(after->itemData) != asked) {
        std::string shown = after ? "still shows as \"" + after->status + "\"" : "is no longer in the list";
        Tell(std::string(install ? "installed the bot's library into " : "removed the bot from ") + mod +
             ", but the mod " + shown +
             (install ? "; the bot loads only where the gamedll line of " + core.m_strModFolder[slot] + kSeparator +
                            "liblist.gam names dlls\\veldrin.dll"
                      : ""));
        return kCommandNotChanged;
    }
    PrintRow(*after, core);

    if (!outcome.extrasNotCopied.empty()) {
        std::string names;
        for (const std::string& extra : outcome.extrasNotCopied) names += (names.empty() ? "" : ", ") + extra;
        std::string message = "installed the bot into " + mod + ", but could not copy these extras: " + names;
        if (!outcome.detail.empty()) message += " (" + outcome.detail + ")";
        Tell(message);
        return kCommandExtrasNotCopied;
    }
    return kCommandDone;
}

#ifdef _WIN32
// The windowed program has no console of its own. Started from one, its
// output goes there, unless the caller redirected a stream already.
void UseParentConsole() {
    const bool outLost = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN;
    const bool errLost = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN;
    if ((!outLost && !errLost) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (outLost) std::freopen("CONOUT$", "w", stdout);
    if (errLost) std::freopen("CONOUT$", "w", stderr);
}
#endif

}  // namespace

int RunCommandLine(int argc, char** argv) {
#ifdef _WIN32
    UseParentConsole();
#endif
    // Without an application object wx has nowhere to write the parser's
    // complaints.
    delete wxMessageOutput::Set(new wxMessageOutputStderr);

    std::vector<std::wstring> args;
    for (int i = 0; i < argc; ++i) args.push_back(FromBytes(argv[i]).ToStdWstring());
    std::vector<wxChar*> pointers;
    for (std::wstring& arg : args) pointers.push_back(&arg[0]);

    wxCmdLineParser parser(kOptions, argc, pointers.data());
    parser.SetSwitchChars("-");
    parser.SetLogo("VeldrinIns installs the Veldrin bot into a Half-Life mod, or removes it.\n");
    switch (parser.Parse(false)) {
        case -1: std::fputs(parser.GetUsageString().mb_str(), stdout); return kCommandDone;
        case 0: break;
        default: return Usage(parser, "");
    }
    if (parser.Found("version")) {
        std::printf("VeldrinIns %s\n", VELDRIN_VERSION);
        return kCommandDone;
    }

    wxString installMod, removeMod;
    const bool list = parser.Found("list");
    const bool install = parser.Found("install", &installMod);
    const bool remove = parser.Found("remove", &removeMod);
    if (list + install + remove != 1) return Usage(parser, "give one of --list, --install MOD and --remove MOD");
    InstallOptions options;
    options.bCopyNames = !parser.Found("no-names");
    options.bCopyWaypoints = !parser.Found("no-waypoints");
    options.bCopyCfg = !parser.Found("no-cfg");
    options.bCopyChat = !parser.Found("no-chat");
    options.bCopyWpnConfigs = !parser.Found("no-wpn-configs");
    if (!install)
        for (const char* extra : kExtraSwitches)
            if (parser.Found(extra)) return Usage(parser, std::string("--") + extra + " goes with --install only");

    if (!SetGameDirectory(parser)) return kCommandNoGame;
    InstallerCore core;
    RowCollector rows;
    core.StampSourceLibrary();
    core.ScanMods(rows);

    if (list) {
        for (const ModRow& row : rows.rows) PrintRow(row, core);
        return kCommandDone;
    }

    const std::string mod = ToBytes(install ? installMod : removeMod);
    const ModRow* target = RowOfFolder(rows, core, mod);
    if (!target) {
        std::string folders;
        for (const ModRow& row : rows.rows) folders += (folders.empty() ? "" : ", ") + core.m_strModFolder[SlotOf(row)];
        Tell("no mod \"" + mod + "\" in the list of " + g_szGameDir +
             (folders.empty() ? std::string(", which is empty") : "; it lists " + folders) + "; nothing changed");
        return kCommandUsage;
    }
    return Change(core, rows, *target, install, options);
}
