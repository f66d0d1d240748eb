// Taking the bot out of one mod.
#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

ChangeOutcome InstallerCore::RemoveMod(int32_t itemData, ModRowSink& rows) {
    int slot = itemData % 100;
    ChangeOutcome outcome;
    if (SlotIsUsable(slot))
        outcome = RemoveFromSlot(slot);
    else
        outcome.problem = ChangeProblem::NoSuchMod;
    ScanMods(rows);
    return outcome;
}

ChangeOutcome InstallerCore::RemoveFromSlot(int slot) {
    const std::string& folder = m_strModFolder[slot];
    Trace("\nPerforming Remove on %s\n", m_strModName[slot].c_str());
    Trace("-------------------------\n");

    layout::PathBuffer libList;
    layout::PathBuffer library;
    ChangeOutcome outcome;
    if (!ComposeModPaths(folder, libList, library)) {
        outcome.problem = ChangeProblem::Failed;
        outcome.detail = folder + ": the path is too long";
        return outcome;
    }

    const std::string restored = liblist::RemoveRow(m_strModDll[slot]);
    liblist::RewriteResult result = liblist::RewriteLibList(
        libList, restored, [this] { Trace("Found gamedll line...\n"); },
        [this] { Trace("Written new liblist.gam\n"); });

    // The library may go only when nothing names it any more: the new
    // liblist.gam is in place, or there is no liblist.gam at all. A catalogue
    // that gives the bot's own name as the mod's library keeps it too.
    bool released = result == liblist::RewriteResult::Written ||
                    (result == liblist::RewriteResult::NotOpened && !platform::PathExists(libList));
    std::string named;
    if (liblist::LibraryNameOfRow(restored.c_str(), named) &&
        platform::CompareIgnoringCase(named.c_str(), liblist::kBotLibrary) == 0)
        released = false;
    if (!released) {
        Trace("Kept veldrin.dll: %s still names it\n", libList);
        return result == liblist::RewriteResult::Failed ? layout::FailureOutcome(libList) : outcome;
    }
    platform::RemoveFile(library);
    Trace("Deleted veldrin.dll\n");
    return outcome;
}
