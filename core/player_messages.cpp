#include "core/player_messages.h"

#include "core/catalogue.h"
#include "core/game_folder.h"
#include "core/paths.h"
#include "core/translations.h"

namespace {

// The folder to choose as the game directory, said in full.
std::string WhatToChoose() {
    return Tr(
        "Choose the Half-Life folder that holds the Veldrin package folder, the folder named Veldrin with "
        "veldrinins.ini in it.");
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
    {ChangeProblem::NoSuchMod, TrMark("the mod is no longer in the catalogue"),
     TrMark(
         "The package's catalogue or the game folder no longer has this mod. The list has been read again: choose the "
         "mod there and try again.")},
    {ChangeProblem::PackageLibraryUnusable, TrMark("the package's bot library cannot be read"),
     TrMark(
         "The package's own copy of the bot is missing, empty, changing or cannot be read. Unpack the Veldrin package "
         "into the Half-Life folder again, then try again.")},
    {ChangeProblem::StateChanged, TrMark("the mod changed since the list was read"),
     TrMark(
         "The mod was changed since the list was read, by another installer or a script perhaps, and as it is now it "
         "does not offer this. The list has been read again and shows the mod as it is now: choose it there and try "
         "again if it still needs the change.")},
    {ChangeProblem::OwnLibraryMissing, TrMark("the mod's own game library is missing"),
     TrMark(
         "The mod's own game library, as the package's catalogue (veldrinins.ini) names it, is not in the mod's dlls "
         "folder, and the mod would not start without it. Correct that name in the catalogue, or install the mod "
         "again, "
         "then try again.")},
    {ChangeProblem::OwnLibraryUnusable, TrMark("the mod's own game library cannot be loaded"),
     TrMark(
         "The mod's own game library, as the package's catalogue (veldrinins.ini) names it, cannot be loaded by the "
         "game, for the reason above, and the mod would not start with it. Mend that file, or correct its name in the "
         "catalogue, then try again.")},
    {ChangeProblem::NoGamedllLine, TrMark("its liblist.gam has no gamedll line to point at the bot"),
     TrMark(
         "The mod's liblist.gam names no game library in a gamedll line, so there is no line to point at the bot: the "
         "mod's files may be damaged. Verify or install the mod again (in Steam: the game's Properties, Installed "
         "Files, "
         "Verify integrity), then try again.")},
    {ChangeProblem::ModFolderIncomplete, TrMark("the mod's folder has no dlls folder"),
     TrMark(
         "The mod's folder lacks its dlls folder, where its game library and the bot's belong: the mod is not wholly "
         "installed. Verify or install the mod again, then try again.")},
    {ChangeProblem::KeptLinesUnfit, TrMark("the gamedll lines liblist.gam.veldrin keeps do not fit liblist.gam"),
     TrMark("liblist.gam.veldrin, beside liblist.gam, keeps the gamedll lines Install replaced, for Remove to give "
            "back. As "
            "it is now, edited perhaps, it does not fit the mod's liblist.gam. Correct it, one gamedll line for each "
            "gamedll "
            "line of liblist.gam, or delete it to have Remove write the mod's own game library, then try again.")},
    {ChangeProblem::KeptLinesNotGivenBack, TrMark("liblist.gam.veldrin keeps lines that were never given back"),
     TrMark(
         "liblist.gam.veldrin, beside liblist.gam, keeps the gamedll lines an earlier Install replaced, which no "
         "Remove "
         "could give back. Install would have to keep other lines in their place, and never overwrites them. Put those "
         "lines back into liblist.gam by hand, or delete the file if they are no longer wanted, then try again.")},
    {ChangeProblem::InUse, TrMark("a file is in use (is the game or a server running?)"),
     TrMark(
         "The game, or a server running this mod, has the file open. Close Half-Life and any server of this mod, then "
         "try again.")},
    {ChangeProblem::AccessDenied, TrMark("a file may not be changed"),
     TrMark(
         "The file or its folder may not be changed. Clear the file's read-only mark, or give your user the right to "
         "change the game folder, then try again.")},
    {ChangeProblem::DiskFull, TrMark("the disk is full"),
     TrMark("The disk is full. Free some space on the disk that holds the game, then try again.")},
    {ChangeProblem::Busy, TrMark("the folder is busy"),
     TrMark("Another installer is changing the folder named above: the game folder, or the mod's folder reached from "
            "another game folder. Wait until that installer has finished, then try again.")},
    {ChangeProblem::Failed, TrMark("a file could not be changed"),
     TrMark("Check that the file and its folder are there and may be changed, then try again.")},
};

const Words& WordsOf(ChangeProblem problem) {
    for (const Words& words : kWords)
        if (words.problem == problem) return words;
    return kWords[sizeof kWords / sizeof kWords[0] - 1];
}

// Where the player may be offered a restart as administrator, the advice
// for a denied change ends with the question.
const char kAdminAdvice[] = TrMark(
    "The file or its folder may not be changed. Clear the file's read-only mark, or run VeldrinIns as "
    "administrator.\n\nStart VeldrinIns again as administrator now?");

std::string TooLongText(const std::string& folder) {
    const size_t length = layout::MaxGameDirLength();
    return Fill(TrPlural("The path of the folder\n%s\nis longer than %s character, more than VeldrinIns can use.",
                         "The path of the folder\n%s\nis longer than %s characters, more than VeldrinIns can use.",
                         length),
                {folder, std::to_string(length)}) +
           "\n\n" + WhatToChoose() + " " + Tr("If that is the folder, move the game to a folder with a shorter path.");
}

}  // namespace

const char* ProblemSummary(ChangeProblem problem) { return Tr(WordsOf(problem).summary); }

ChangeReport ReportChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                          bool canRestartAsAdmin, bool tellLinuxServer) {
    ChangeReport report;
    const bool install = action == ChangeAction::Install;
    const std::string mod = modName.empty() ? std::string(Tr("the chosen mod")) : modName;

    std::string& text = report.text;
    if (!outcome.Done()) {
        report.offersAdminRestart = canRestartAsAdmin && outcome.problem == ChangeProblem::AccessDenied;
        text = Fill(install ? Tr("Veldrin could not be installed in %s: the mod was left as it was.")
                            : Tr("Veldrin could not be removed from %s: the mod was left as it was."),
                    {mod}) +
               "\n\n";
        if (!outcome.detail.empty()) text += outcome.detail + "\n\n";
        text += Tr(report.offersAdminRestart ? kAdminAdvice : WordsOf(outcome.problem).advice);
        return report;
    }

    // Done: what the player should know besides.
    if (!outcome.extrasNotCopied.empty()) {
        text = Fill(install ? Tr("Veldrin was installed in %s, but these extras could not be copied:")
                            : Tr("Veldrin was removed from %s, but these extras could not be copied:"),
                    {mod}) +
               "\n";
        for (const std::string& extra : outcome.extrasNotCopied) text += extra + "\n";
        if (!outcome.detail.empty()) text += "\n" + outcome.detail + "\n";
        // Install stays disabled for a mod the bot is in: the way to them
        // is by hand, or through Remove.
        text += std::string("\n") +
                Tr("The bot works without them. Once the cause is mended (free disk space, clear a read-only mark, "
                   "close the program that holds the file), copy them by hand from the Veldrin folder, or press "
                   "Remove and then Install to put the bot in again with them.");
    }
    if (!outcome.libraryLeft.empty()) {
        text += (text.empty() ? "" : "\n\n") +
                Fill(Tr("Veldrin was removed from %s: the mod loads its own game library again. But the bot's "
                        "library could not be deleted and stayed behind, named by nothing:\n%s\n\nDelete it once "
                        "the game or the server that holds it has ended."),
                     {mod, outcome.libraryLeft});
    }
    // Lines not given back leave the mod otherwise than before Install.
    report.warning = !text.empty() || !outcome.keptLinesNotGivenBack.empty();
    // What the player should know of a change done as asked.
    auto done = [&] {
        if (!text.empty()) return std::string();
        return Fill(install ? Tr("Veldrin was installed in %s.") : Tr("Veldrin was removed from %s."), {mod});
    };
    if (!outcome.extrasKept.empty()) {
        text += done() + "\n\n" +
                Fill(Tr("These files were changed since Install put them there, or were not put there by Install, "
                        "and were kept as they are; the package's copy of each is beside it, its name ending in "
                        "%s:"),
                     {kPackageCopySuffix});
        for (const std::string& extra : outcome.extrasKept) text += "\n" + extra;
    }
    if (!outcome.keptLinesNotGivenBack.empty()) {
        text += done() + "\n\n" +
                Fill(Tr("The mod now loads the game library the catalogue names, not the lines liblist.gam.veldrin "
                        "keeps, since the game could not load a library they name: %s. The file was kept: once that "
                        "library is there, Install and then Remove give its lines back."),
                     {outcome.keptLinesNotGivenBack});
    }
    if (!outcome.keptLinesStay.empty()) {
        text += done() + "\n\n" +
                Fill(install ? Tr("%s keeps the gamedll lines an earlier Install replaced, which no Remove could give "
                                  "back yet. It was kept as it was: Remove gives them back once the libraries they "
                                  "name are there.")
                             : Tr("%s was kept: some of the lines it keeps are not back in liblist.gam, where other "
                                  "lines stand now."),
                     {outcome.keptLinesStay});
    }
    if (tellLinuxServer && !outcome.linuxServerLibrary.empty()) {
        text += (text.empty() ? Fill(Tr("Veldrin was installed in %s."), {mod}) : std::string()) + "\n\n" +
                Fill(Tr("A Linux server, or Half-Life run natively on Linux, loads %s, which the mod's gamedll_linux "
                        "line names, not the bot: the Veldrin package holds no Linux library of the bot."),
                     {outcome.linuxServerLibrary});
    }
    return report;
}

std::vector<ChangeNote> ChangeNotes(ChangeAction action, const std::string& mod, const std::string& modFolder,
                                    const ChangeOutcome& outcome, bool tellLinuxServer) {
    const bool install = action == ChangeAction::Install;
    std::vector<ChangeNote> notes;
    auto note = [&notes](ChangeNote::Kind kind, const std::string& text) { notes.push_back({kind, text}); };
    if (!outcome.Done()) {
        const char* format =
            outcome.detail.empty()
                ? (install ? Tr("could not install the bot into %s, %s; the mod is left as it was")
                           : Tr("could not remove the bot from %s, %s; the mod is left as it was"))
                : (install ? Tr("could not install the bot into %s, %s (%s); the mod is left as it was")
                           : Tr("could not remove the bot from %s, %s (%s); the mod is left as it was"));
        note(ChangeNote::NotChanged, Fill(format, {mod, ProblemSummary(outcome.problem), outcome.detail}));
        return notes;
    }

    // The mod is not as it was before Install: a script must hear it.
    if (!outcome.keptLinesNotGivenBack.empty())
        note(ChangeNote::NotAllDone,
             Fill(Tr("removed the bot from %s, but the mod is back on the library the catalogue names, not on the "
                     "lines liblist.gam.veldrin keeps, since the game could not load a library they name (%s); the "
                     "file was kept: once that library is there, --install and then --remove give its lines back"),
                  {mod, outcome.keptLinesNotGivenBack}));
    if (!outcome.keptLinesStay.empty())
        note(ChangeNote::Note,
             Fill(install ? Tr("note: %s keeps the gamedll lines an earlier install replaced, which no remove "
                               "could give back yet; it was kept as it was")
                          : Tr("note: %s was kept: some of the lines it keeps are not back in liblist.gam, where "
                               "other lines stand now"),
                  {outcome.keptLinesStay}));
    if (!outcome.extrasKept.empty())
        note(ChangeNote::Note,
             Fill(Tr("note: kept these files as they are, since they changed since an install put them there or "
                     "were not put there by one: %s; the package's copy of each is beside it, its name ending in %s"),
                  {Listed(outcome.extrasKept), kPackageCopySuffix}));
    if (!outcome.libraryLeft.empty())
        note(ChangeNote::NotAllDone, Fill(Tr("removed the bot from %s, but its library stayed behind, named by "
                                             "nothing (%s); delete it once the game or server that holds it has "
                                             "ended"),
                                          {mod, outcome.libraryLeft}));
    if (!outcome.extrasNotCopied.empty()) {
        const char* format = outcome.detail.empty()
                                 ? Tr("installed the bot into %s, but could not copy these extras: %s")
                                 : Tr("installed the bot into %s, but could not copy these extras: %s (%s)");
        note(ChangeNote::NotAllDone, Fill(format, {mod, Listed(outcome.extrasNotCopied), outcome.detail}));
    }
    if (tellLinuxServer && !outcome.linuxServerLibrary.empty())
        note(ChangeNote::LinuxServer, Fill(Tr("note: a Linux server loads %s, which the gamedll_linux line of %s "
                                              "names, not the bot: the package holds no Linux library of the bot"),
                                           {outcome.linuxServerLibrary, ModFile(modFolder, "liblist.gam")}));
    return notes;
}

std::string UnreadableModsText(const std::vector<std::string>& details) {
    if (details.empty()) return std::string();
    // One sentence or the other, not a count's forms: no number is shown.
    std::string text =
        std::string(details.size() == 1 ? Tr("This mod is not in the list: its liblist.gam cannot be read.")
                                        : Tr("These mods are not in the list: their liblist.gam cannot be read.")) +
        "\n\n";
    for (const std::string& detail : details) text += detail + "\n";
    return text + "\n" +
           Tr("Give your user the right to read the file (and its folder), or repair the mod, then start VeldrinIns "
              "again or press Browse and choose the same folder.");
}

std::vector<UnreadableMod> UnreadableMods(const InstallerCore& core) {
    std::vector<UnreadableMod> unreadable;
    for (int slot = 0; slot < core.m_nModCount; ++slot) {
        layout::PathBuffer path;
        if (!UsableSlot(core, slot) ||
            !layout::ComposePath(path, layout::kLibList, g_szGameDir, core.m_strModFolder[slot].c_str()))
            continue;
        if (platform::TextFile::Open(path, "r")) continue;
        const platform::Failure failure = platform::LastFailure();
        // A mod the game folder lacks is no failure: the catalogue names
        // every mod the package knows.
        if (failure.error == platform::FileError::NotFound && !platform::PathExists(path)) continue;
        unreadable.push_back({slot, layout::ForPlayer(path) + ": " + PlayerReason(failure)});
    }
    return unreadable;
}

const char* ChooseFolderTitle() { return Tr("Choose the Half-Life folder that holds the Veldrin package folder"); }

std::string RefusedFolderText(const std::string& folder) {
    if (folder.size() > layout::MaxGameDirLength()) return TooLongText(folder);
    return Fill(Tr("The folder\n%s\ndoes not hold the Veldrin package."), {folder}) + "\n\n" + WhatToChoose();
}

std::string NoGameFolderText(const std::string& gameDir) {
    if (gameDir.size() > layout::MaxGameDirLength()) return TooLongText(gameDir);
    std::string text = gameDir.empty()
                           ? std::string(Tr("VeldrinIns found no Half-Life folder."))
                           : Fill(Tr("The Half-Life folder\n%s\ndoes not hold the Veldrin package."), {gameDir});
    return text + "\n\n" +
           Tr("Press Browse and choose the Half-Life folder that holds the Veldrin package folder, the folder named "
              "Veldrin with veldrinins.ini in it.");
}

std::string NoModsText(const std::string& gameDir) {
    return Fill(Tr("None of the mods of the Veldrin package's catalogue is in the folder\n%s\n\nThe package must be "
                   "unpacked into the Half-Life folder, beside the mods' folders (cstrike, valve, ...). Press Browse "
                   "and choose the Half-Life folder that holds the mods and the Veldrin package folder."),
                {gameDir});
}

std::string NoModsLine(const std::string& gameDir) {
    return Fill(Tr("none of the mods of the package's catalogue is in the game folder \"%s\": the package belongs in "
                   "the Half-Life folder, beside the mods' folders; name that folder with --game-dir"),
                {gameDir});
}

std::string UnheldFolderText(const std::string& folder, const std::string& characters, int codePage) {
    return Fill(Tr("The folder\n%s\ncannot be used: its name holds \"%s\", which this Windows' code page for programs "
                   "that are not Unicode (code page %s) cannot hold.\n\nWindows 10 version 1903 and later run "
                   "VeldrinIns in Unicode, where every folder name works. Here, choose a folder whose path has only "
                   "letters of that code page (move the game there), or set the language for programs that are not "
                   "Unicode (Region settings, Administrative) to one that has these letters."),
                {folder, characters, std::to_string(codePage)});
}

std::string UnheldFolderLine(const std::string& folder, const std::string& characters, int codePage) {
    return Fill(Tr("the game folder \"%s\" cannot be used: its name holds \"%s\", which this Windows' code page for "
                   "programs that are not Unicode (code page %s) cannot hold; move the game to a folder whose path "
                   "has only letters of that code page, or set the language for programs that are not Unicode to one "
                   "that has them"),
                {folder, characters, std::to_string(codePage)});
}
