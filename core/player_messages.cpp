#include "core/player_messages.h"

#include "core/game_folder.h"
#include "core/paths.h"

namespace {

const char kChooseFolder[] = "Choose the Half-Life folder that holds the Veldrin package folder";

// The folder to choose as the game directory, said in full; with a small
// first letter after "Press Browse and".
std::string WhatToChoose(bool capital = true) {
    std::string text = std::string(kChooseFolder) + ", the folder named Veldrin with veldrinins.ini in it.";
    if (!capital) text[0] = 'c';
    return text;
}

// A file of a mod's folder as the player's system writes it. Composed after
// the game directory, which ForPlayer then takes off whole.
std::string ModFile(const std::string& modFolder, const char* name) {
    const std::string game = g_szGameDir[0] ? std::string(g_szGameDir) + "\\" : std::string();
    return layout::ForPlayer((game + modFolder + "\\" + name).c_str());
}

// The names, with a comma between each two.
std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// Each problem in words: the phrase a line of the command line gives, and
// what the player can do about it, which the dialog's box gives below the
// file and the system's reason.
struct Words {
    ChangeProblem problem;
    const char* summary;
    const char* advice;
};

const Words kWords[] = {
    {ChangeProblem::NoSuchMod, "the mod is no longer in the catalogue",
     "The package's catalogue or the game folder no longer has this mod. The list has been read again: choose the "
     "mod there and try again."},
    {ChangeProblem::PackageLibraryUnusable, "the package's bot library cannot be read",
     "The package's own copy of the bot is missing, empty, changing or cannot be read. Unpack the Veldrin package "
     "into the Half-Life folder again, then try again."},
    {ChangeProblem::StateChanged, "the mod changed since the list was read",
     "The mod was changed since the list was read, by another installer or a script perhaps, and as it is now it "
     "does not offer this. The list has been read again and shows the mod as it is now: choose it there and try "
     "again if it still needs the change."},
    {ChangeProblem::OwnLibraryMissing, "the mod's own game library is missing",
     "The mod's own game library, as the package's catalogue (veldrinins.ini) names it, is not in the mod's dlls "
     "folder, and the mod would not start without it. Correct that name in the catalogue, or install the mod again, "
     "then try again."},
    {ChangeProblem::OwnLibraryUnusable, "the mod's own game library cannot be loaded",
     "The mod's own game library, as the package's catalogue (veldrinins.ini) names it, cannot be loaded by the "
     "game, for the reason above, and the mod would not start with it. Mend that file, or correct its name in the "
     "catalogue, then try again."},
    {ChangeProblem::NoGamedllLine, "its liblist.gam has no gamedll line to point at the bot",
     "The mod's liblist.gam names no game library in a gamedll line, so there is no line to point at the bot: the "
     "mod's files may be damaged. Verify or install the mod again (in Steam: the game's Properties, Installed Files, "
     "Verify integrity), then try again."},
    {ChangeProblem::ModFolderIncomplete, "the mod's folder has no dlls folder",
     "The mod's folder lacks its dlls folder, where its game library and the bot's belong: the mod is not wholly "
     "installed. Verify or install the mod again, then try again."},
    {ChangeProblem::KeptLinesUnfit, "the gamedll lines liblist.gam.veldrin keeps do not fit liblist.gam",
     "liblist.gam.veldrin, beside liblist.gam, keeps the gamedll lines Install replaced, for Remove to give back. As "
     "it is now, edited perhaps, it does not fit the mod's liblist.gam. Correct it, one gamedll line for each gamedll "
     "line of liblist.gam, or delete it to have Remove write the mod's own game library, then try again."},
    {ChangeProblem::KeptLinesNotGivenBack, "liblist.gam.veldrin keeps lines that were never given back",
     "liblist.gam.veldrin, beside liblist.gam, keeps the gamedll lines an earlier Install replaced, which no Remove "
     "could give back. Install would have to keep other lines in their place, and never overwrites them. Put those "
     "lines back into liblist.gam by hand, or delete the file if they are no longer wanted, then try again."},
    {ChangeProblem::InUse, "a file is in use (is the game or a server running?)",
     "The game, or a server running this mod, has the file open. Close Half-Life and any server of this mod, then "
     "try again."},
    {ChangeProblem::AccessDenied, "a file may not be changed",
     "The file or its folder may not be changed. Clear the file's read-only mark, or give your user the right to "
     "change the game folder, then try again."},
    {ChangeProblem::DiskFull, "the disk is full",
     "The disk is full. Free some space on the disk that holds the game, then try again."},
    {ChangeProblem::Busy, "another installer is changing this game folder",
     "Another installer is changing this game folder. Wait until it has finished, then try again."},
    {ChangeProblem::Failed, "a file could not be changed",
     "Check that the file and its folder are there and may be changed, then try again."},
};

const Words& WordsOf(ChangeProblem problem) {
    for (const Words& words : kWords)
        if (words.problem == problem) return words;
    return kWords[sizeof kWords / sizeof kWords[0] - 1];
}

// Where the player may be offered a restart as administrator, the advice
// for a denied change ends with the question.
const char kAdminAdvice[] =
    "The file or its folder may not be changed. Clear the file's read-only mark, or run VeldrinIns as "
    "administrator.\n\nStart VeldrinIns again as administrator now?";

std::string TooLongText(const std::string& folder) {
    return "The path of the folder\n" + folder + "\nis longer than " + std::to_string(layout::MaxGameDirLength()) +
           " characters, more than VeldrinIns can use.\n\n" + WhatToChoose() +
           " If that is the folder, move the game to a folder with a shorter path.";
}

}  // namespace

const char* ProblemSummary(ChangeProblem problem) { return WordsOf(problem).summary; }

ChangeReport ReportChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                          bool canRestartAsAdmin, bool tellLinuxServer) {
    ChangeReport report;
    const bool install = action == ChangeAction::Install;
    const std::string mod = modName.empty() ? std::string("the chosen mod") : modName;

    std::string& text = report.text;
    if (!outcome.Done()) {
        report.offersAdminRestart = canRestartAsAdmin && outcome.problem == ChangeProblem::AccessDenied;
        text = install ? "Veldrin could not be installed in " + mod : "Veldrin could not be removed from " + mod;
        text += ": the mod was left as it was.\n\n";
        if (!outcome.detail.empty()) text += outcome.detail + "\n\n";
        text += report.offersAdminRestart ? kAdminAdvice : WordsOf(outcome.problem).advice;
        return report;
    }

    // Done: what the player should know besides.
    if (!outcome.extrasNotCopied.empty()) {
        text = (install ? "Veldrin was installed in " : "Veldrin was removed from ") + mod +
               ", but these extras could not be copied:\n";
        for (const std::string& extra : outcome.extrasNotCopied) text += extra + "\n";
        if (!outcome.detail.empty()) text += "\n" + outcome.detail + "\n";
        // Install stays disabled for a mod the bot is in: the way to them
        // is by hand, or through Remove.
        text +=
            "\nThe bot works without them. Once the cause is mended (free disk space, clear a read-only mark, close "
            "the program that holds the file), copy them by hand from the Veldrin folder, or press Remove and then "
            "Install to put the bot in again with them.";
    }
    if (!outcome.libraryLeft.empty()) {
        text += (text.empty() ? "" : "\n\n") + ("Veldrin was removed from " + mod) +
                ": the mod loads its own game library again. But the bot's library could not be deleted and stayed "
                "behind, named by nothing:\n" +
                outcome.libraryLeft + "\n\nDelete it once the game or the server that holds it has ended.";
    }
    report.warning = !text.empty();
    // What the player should know of a change done as asked.
    auto done = [&] {
        if (!text.empty()) return std::string();
        return (install ? "Veldrin was installed in " : "Veldrin was removed from ") + mod + ".";
    };
    if (!outcome.extrasKept.empty()) {
        text += done() +
                "\n\nThese files were changed since Install put them there, or were not put there by Install, and "
                "were kept as they are; the package's copy of each is beside it, its name ending in " +
                kPackageCopySuffix + ":";
        for (const std::string& extra : outcome.extrasKept) text += "\n" + extra;
    }
    if (!outcome.keptLinesNotGivenBack.empty()) {
        text += done() +
                "\n\nThe mod now loads the game library the catalogue names, not the lines liblist.gam.veldrin "
                "keeps, since the game could not load a library they name: " +
                outcome.keptLinesNotGivenBack +
                ". The file was kept: once that library is there, Install and then Remove give its lines back.";
    }
    if (!outcome.keptLinesStay.empty()) {
        text += done() + "\n\n" + outcome.keptLinesStay +
                (install ? " keeps the gamedll lines an earlier Install replaced, which no Remove could give back "
                           "yet. It was kept as it was: Remove gives them back once the libraries they name are there."
                         : " was kept: some of the lines it keeps are not back in liblist.gam, where other lines "
                           "stand now.");
    }
    if (tellLinuxServer && !outcome.linuxServerLibrary.empty()) {
        text += (text.empty() ? "Veldrin was installed in " + mod + "." : std::string()) +
                "\n\nA Linux server, or Half-Life run natively on Linux, loads " + outcome.linuxServerLibrary +
                ", which the mod's gamedll_linux line names, not the bot: the Veldrin package holds no Linux library "
                "of the bot.";
    }
    return report;
}

std::vector<ChangeNote> ChangeNotes(ChangeAction action, const std::string& mod, const std::string& modFolder,
                                    const ChangeOutcome& outcome, bool tellLinuxServer) {
    const bool install = action == ChangeAction::Install;
    std::vector<ChangeNote> notes;
    auto note = [&notes](ChangeNote::Kind kind, const std::string& text) { notes.push_back({kind, text}); };
    if (!outcome.Done()) {
        std::string text = std::string("could not ") + (install ? "install the bot into " : "remove the bot from ") +
                           mod + ", " + ProblemSummary(outcome.problem);
        if (!outcome.detail.empty()) text += " (" + outcome.detail + ")";
        note(ChangeNote::NotChanged, text + "; the mod is left as it was");
        return notes;
    }

    if (!outcome.keptLinesNotGivenBack.empty())
        note(ChangeNote::Note,
             "note: " + mod + " is back on the library the catalogue names, not on the lines liblist.gam.veldrin " +
                 "keeps, since the game could not load a library they name (" + outcome.keptLinesNotGivenBack +
                 "); the file was kept: once that library is there, --install and then --remove give its lines back");
    if (!outcome.keptLinesStay.empty())
        note(ChangeNote::Note,
             "note: " + outcome.keptLinesStay +
                 (install ? " keeps the gamedll lines an earlier install replaced, which no remove could give back "
                            "yet; it was kept as it was"
                          : " was kept: some of the lines it keeps are not back in liblist.gam, where other lines "
                            "stand now"));
    if (!outcome.extrasKept.empty())
        note(ChangeNote::Note,
             "note: kept these files as they are, since they changed since an install put them there or were not "
             "put there by one: " +
                 Listed(outcome.extrasKept) + "; the package's copy of each is beside it, its name ending in " +
                 kPackageCopySuffix);
    if (!outcome.libraryLeft.empty())
        note(ChangeNote::NotAllDone, "removed the bot from " + mod +
                                         ", but its library stayed behind, named by nothing (" + outcome.libraryLeft +
                                         "); delete it once the game or server that holds it has ended");
    if (!outcome.extrasNotCopied.empty()) {
        std::string text =
            "installed the bot into " + mod + ", but could not copy these extras: " + Listed(outcome.extrasNotCopied);
        if (!outcome.detail.empty()) text += " (" + outcome.detail + ")";
        note(ChangeNote::NotAllDone, text);
    }
    if (tellLinuxServer && !outcome.linuxServerLibrary.empty())
        note(ChangeNote::LinuxServer, "note: a Linux server loads " + outcome.linuxServerLibrary +
                                          ", which the gamedll_linux line of " + ModFile(modFolder, "liblist.gam") +
                                          " names, not the bot: the package holds no Linux library of the bot");
    return notes;
}

const char* ChooseFolderTitle() { return kChooseFolder; }

std::string RefusedFolderText(const std::string& folder) {
    if (folder.size() > layout::MaxGameDirLength()) return TooLongText(folder);
    return "The folder\n" + folder + "\ndoes not hold the Veldrin package.\n\n" + WhatToChoose();
}

std::string NoGameFolderText(const std::string& gameDir) {
    if (gameDir.size() > layout::MaxGameDirLength()) return TooLongText(gameDir);
    std::string text = gameDir.empty() ? std::string("VeldrinIns found no Half-Life folder.")
                                       : "The Half-Life folder\n" + gameDir + "\ndoes not hold the Veldrin package.";
    return text + "\n\nPress Browse and " + WhatToChoose(false);
}

std::string NoModsText(const std::string& gameDir) {
    return "None of the mods of the Veldrin package's catalogue is in the folder\n" + gameDir +
           "\n\nThe package must be unpacked into the Half-Life folder, beside the mods' folders (cstrike, valve, "
           "...). Press Browse and choose the Half-Life folder that holds the mods and the Veldrin package folder.";
}

std::string NoModsLine(const std::string& gameDir) {
    return "none of the mods of the package's catalogue is in the game folder \"" + gameDir +
           "\": the package belongs in the Half-Life folder, beside the mods' folders; name that folder with "
           "--game-dir";
}

std::string UnheldFolderText(const std::string& folder, const std::string& characters, int codePage) {
    return "The folder\n" + folder + "\ncannot be used: its name holds \"" + characters +
           "\", which this Windows' code page for programs that are not Unicode (code page " +
           std::to_string(codePage) +
           ") cannot hold.\n\nWindows 10 version 1903 and later run VeldrinIns in Unicode, where every folder name "
           "works. Here, choose a folder whose path has only letters of that code page (move the game there), or set "
           "the language for programs that are not Unicode (Region settings, Administrative) to one that has these "
           "letters.";
}

std::string UnheldFolderLine(const std::string& folder, const std::string& characters, int codePage) {
    return "the game folder \"" + folder + "\" cannot be used: its name holds \"" + characters +
           "\", which this Windows' code page for programs that are not Unicode (code page " +
           std::to_string(codePage) +
           ") cannot hold; move the game to a folder whose path has only letters of that code page, or set the "
           "language for programs that are not Unicode to one that has them";
}
