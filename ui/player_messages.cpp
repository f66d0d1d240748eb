#include "ui/player_messages.h"

#include "platform/game_dir.h"

namespace {

const char kWhatToChoose[] =
    "Choose the Half-Life folder that holds the Veldrin package folder, the folder named Veldrin with "
    "veldrinins.ini in it.";

// What the player can do about each problem; the file and the system's
// reason stand above it.
std::string Advice(ChangeProblem problem, bool offersAdminRestart) {
    switch (problem) {
        case ChangeProblem::None: break;
        case ChangeProblem::NoSuchMod:
            return "The package's catalogue or the game folder no longer has this mod. The list has been read again: "
                   "choose the mod there and try again.";
        case ChangeProblem::PackageLibraryUnusable:
            return "The package's own copy of the bot is missing, empty or cannot be read. Unpack the Veldrin package "
                   "into the Half-Life folder again, then try again.";
        case ChangeProblem::OwnLibraryMissing:
            return "The mod's own game library, as the package's catalogue (veldrinins.ini) names it, is not in the "
                   "mod's dlls folder, and the mod would not start without it. Correct that name in the catalogue, or "
                   "install the mod again, then try again.";
        case ChangeProblem::InUse:
            return "The game, or a server running this mod, has the file open. Close Half-Life and any server of this "
                   "mod, then try again.";
        case ChangeProblem::AccessDenied:
            if (offersAdminRestart)
                return "The file or its folder may not be changed. Clear the file's read-only mark, or run VeldrinIns "
                       "as administrator.\n\nStart VeldrinIns again as administrator now?";
            return "The file or its folder may not be changed. Clear the file's read-only mark, or give your user the "
                   "right to change the game folder, then try again.";
        case ChangeProblem::DiskFull:
            return "The disk is full. Free some space on the disk that holds the game, then try again.";
        case ChangeProblem::Busy:
            return "Another installer is changing this game folder. Wait until it has finished, then try again.";
        case ChangeProblem::Failed: break;
    }
    return "Check that the file and its folder are there and may be changed, then try again.";
}

}  // namespace

ChangeReport ReportChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                          bool canRestartAsAdmin) {
    ChangeReport report;
    if (outcome.Done() && outcome.extrasNotCopied.empty()) return report;
    const bool install = action == ChangeAction::Install;
    const std::string mod = modName.empty() ? std::string("the chosen mod") : modName;

    std::string& text = report.text;
    if (!outcome.Done()) {
        report.offersAdminRestart = canRestartAsAdmin && outcome.problem == ChangeProblem::AccessDenied;
        text = install ? "Veldrin could not be installed in " + mod : "Veldrin could not be removed from " + mod;
        text += ": the mod was left as it was.\n\n";
        if (!outcome.detail.empty()) text += outcome.detail + "\n\n";
        text += Advice(outcome.problem, report.offersAdminRestart);
        return report;
    }

    text = (install ? "Veldrin was installed in " : "Veldrin was removed from ") + mod +
           ", but these extras could not be copied:\n";
    for (const std::string& extra : outcome.extrasNotCopied) text += extra + "\n";
    if (!outcome.detail.empty()) text += "\n" + outcome.detail + "\n";
    text +=
        "\nThe bot works without them. Once the cause is mended (free disk space, clear a read-only mark, close "
        "the program that holds the file), press Install again to copy them.";
    return report;
}

std::string RefusedFolderText(const std::string& folder) {
    if (folder.size() > platform::kMaxGameDirLength)
        return "The path of the folder\n" + folder + "\nis longer than " + std::to_string(platform::kMaxGameDirLength) +
               " characters, more than VeldrinIns can use.\n\n" + kWhatToChoose +
               " If that is the folder, move the game to a folder with a shorter path.";
    return "The folder\n" + folder + "\ndoes not hold the Veldrin package.\n\n" + kWhatToChoose;
}

std::string NoGameFolderText(const std::string& gameDir) {
    std::string text = gameDir.empty() ? std::string("VeldrinIns found no Half-Life folder.")
                                       : "The Half-Life folder\n" + gameDir + "\ndoes not hold the Veldrin package.";
    return text +
           "\n\nPress Browse and choose the Half-Life folder that holds the Veldrin package folder, the folder "
           "named Veldrin with veldrinins.ini in it.";
}
