// Taking the bot out of one mod.
#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <vector>

ChangeOutcome InstallerCore::RemoveMod(int32_t itemData, ModRowSink& rows) {
    const int slot = ItemDataSlot(itemData);
    ChangeOutcome outcome;
    if (SlotIsUsable(slot)) {
        auto lock = layout::LockGameFolder(outcome);
        if (lock) outcome = RemoveFromSlot(slot);
    } else {
        outcome.problem = ChangeProblem::NoSuchMod;
    }
    ScanMods(rows);
    return outcome;
}

ChangeOutcome InstallerCore::RemoveFromSlot(int slot) {
    const std::string& folder = m_strModFolder[slot];
    Trace("\nPerforming Remove on %s\n", m_strModName[slot].c_str());
    Trace("-------------------------\n");

    layout::PathBuffer libList;
    layout::PathBuffer library;
    if (!ComposeModPaths(folder, libList, library)) return layout::TooLongOutcome(folder);

    // What goes back in place of the bot's line: the lines Install kept,
    // when every library they name is there; else the catalogue's library.
    // Either must name a library the mod has, or the game would no longer
    // start.
    layout::PathBuffer stored;
    std::vector<std::string> lines;
    const bool kept = layout::ComposePath(stored, layout::kStoredLines, g_szGameDir, folder.c_str()) &&
                      liblist::ReadStoredLines(stored, lines) && !lines.empty();
    std::string missing;
    for (const std::string& line : lines) {
        std::string path;
        layout::PathBuffer named;
        if (!liblist::GamedllPathOfRow(line.c_str(), path) ||
            !layout::ComposePath(named, "%s\\%s\\%s", g_szGameDir, folder.c_str(), path.c_str()) ||
            !platform::ReadableFile(named)) {
            missing = path.empty() ? stored : named;
            break;
        }
    }
    const bool giveBack = kept && missing.empty();
    if (kept && !giveBack) Trace("%s names %s, which is missing\n", stored, missing.c_str());

    layout::PathBuffer own;
    const std::string& base = m_strModDll[slot];
    if (!giveBack &&
        (base.empty() || !layout::ComposePath(own, layout::kOwnLibrary, g_szGameDir, folder.c_str(), base.c_str()) ||
         !platform::ReadableFile(own))) {
        Trace("The mod's own library %s is missing, nothing changed\n", own);
        ChangeOutcome outcome;
        outcome.problem = ChangeProblem::OwnLibraryMissing;
        outcome.detail = base.empty() ? folder + ": the catalogue names no game library for this mod"
                                      : layout::ForPlayer(own) + ": the mod's own game library is missing";
        if (!missing.empty())
            outcome.detail +=
                ", and so is " + layout::ForPlayer(missing.c_str()) + ", which liblist.gam named before the bot";
        return outcome;
    }

    const std::string restored = liblist::RemoveRow(base);
    std::vector<std::string> replacements;
    if (giveBack) {
        for (const std::string& line : lines) replacements.push_back(line + "\r\n");
    } else {
        replacements.push_back(liblist::AsWritten(restored));
    }
    liblist::LibListRewrite rewrite;
    liblist::RewriteResult result = rewrite.Prepare(libList, [&](size_t index, const std::string&) {
        // Each gamedll line gets the kept line of its place; any beyond them
        // the last.
        return replacements[std::min(index, replacements.size() - 1)];
    });
    if (result == liblist::RewriteResult::Failed ||
        (result == liblist::RewriteResult::NotOpened && platform::PathExists(libList))) {
        Trace("Kept veldrin.dll: %s still names it\n", libList);
        return layout::FailureOutcome(libList);
    }
    for (size_t i = 0; i < rewrite.Replaced().size(); ++i) Trace("Found gamedll line...\n");
    // A file with no gamedll row stays as it is: nothing in it names the bot.
    if (!rewrite.Replaced().empty()) {
        if (!rewrite.Commit()) {
            ChangeOutcome outcome = layout::FailureOutcome(libList);
            Trace("Kept veldrin.dll: %s still names it\n", libList);
            return outcome;
        }
        Trace("Written new liblist.gam\n");
    }

    // What Install kept has served once the new liblist.gam is in place.
    if (kept && !platform::RemoveFile(stored))
        Trace("Could not delete %s: %s\n", stored, platform::LastFailure().reason.c_str());

    // The library may go only when nothing names it any more: the new
    // liblist.gam is in place, or there is no liblist.gam at all. Lines that
    // give the bot's own name as the mod's library keep it too.
    bool stillNamed = false;
    for (const std::string& row : replacements) stillNamed = stillNamed || liblist::NamesBot(row.c_str());
    if (stillNamed) {
        Trace("Kept veldrin.dll: %s still names it\n", libList);
        return ChangeOutcome();
    }
    // The mod is back on its own library whatever the delete does: a library
    // the game still holds open only stays behind, named by nothing.
    if (!platform::RemoveFile(library))
        Trace("Could not delete %s: %s\n", library, platform::LastFailure().reason.c_str());
    Trace("Deleted veldrin.dll\n");
    return ChangeOutcome();
}
