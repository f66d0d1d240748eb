// Taking the bot out of one mod.
#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

ChangeOutcome InstallerCore::RemoveMod(int32_t itemData, ModRowSink& rows) {
    const int slot = itemData % 100;
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

    // The line Remove writes must name a library the mod has, or the game
    // would no longer start.
    layout::PathBuffer own;
    const std::string& base = m_strModDll[slot];
    if (base.empty() || !layout::ComposePath(own, layout::kOwnLibrary, g_szGameDir, folder.c_str(), base.c_str()) ||
        !platform::ReadableFile(own)) {
        Trace("The mod's own library %s is missing, nothing changed\n", own);
        ChangeOutcome outcome;
        outcome.problem = ChangeProblem::OwnLibraryMissing;
        outcome.detail = base.empty() ? folder + ": the catalogue names no game library for this mod"
                                      : layout::ForPlayer(own) + ": the mod's own game library is missing";
        return outcome;
    }

    const std::string restored = liblist::RemoveRow(base);
    const std::string restoredBytes = liblist::AsWritten(restored);
    liblist::LibListRewrite rewrite;
    liblist::RewriteResult result = rewrite.Prepare(libList, [&](const std::string&) { return restoredBytes; });
    if (result == liblist::RewriteResult::Failed || (result == liblist::RewriteResult::NotOpened &&
                                                     platform::PathExists(libList))) {
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

    // The library may go only when nothing names it any more: the new
    // liblist.gam is in place, or there is no liblist.gam at all. A catalogue
    // that gives the bot's own name as the mod's library keeps it too.
    std::string named;
    if (liblist::LibraryNameOfRow(restored.c_str(), named) &&
        platform::CompareIgnoringCase(named.c_str(), liblist::kBotLibrary) == 0) {
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
