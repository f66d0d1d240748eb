// The locked change, and what a change tells of itself: the problem a
// failure of the file layer stands for, the file it met, and the extras it
// could not copy.
#include "core/change.h"

#include "core/catalogue.h"
#include "core/locks.h"
#include "core/paths.h"
#include "core/trace.h"
#include "core/translations.h"
#include "platform/file_system.h"

namespace change {

namespace {

// True when the slot's mod, as it is now, offers the change; otherwise
// outcome says the mod changed and its state now.
bool StillOffered(InstallerCore& core, int slot, bool install, ChangeOutcome& outcome) {
    // Looked at quietly: the trace tells of the change, not of a scan.
    const int log = core.m_bLog;
    core.m_bLog = 0;
    const int status = core.CheckModStatus(slot);
    core.m_bLog = log;
    const int32_t data = ItemData(status, slot);
    if (status != 0 && (install ? OffersInstall(data) : OffersRemove(data))) return true;
    const std::string& folder = core.m_strModFolder[slot];
    Trace(core, "%s changed since the list was read, nothing changed\n", folder.c_str());
    outcome.problem = ChangeProblem::StateChanged;
    outcome.detail = folder + ": " +
                     (status != 0 ? Fill(Tr("its status is now \"%s\""), {Tr(StatusText(status))})
                                  : std::string(Tr("its liblist.gam can no longer be read")));
    return false;
}

}  // namespace

ChangeOutcome Locked(InstallerCore& core, int32_t itemData, bool install, ModRowSink& rows,
                     const std::function<ChangeOutcome(int slot)>& change) {
    const int slot = ItemDataSlot(itemData);
    ChangeOutcome outcome;
    if (UsableSlot(core, slot)) {
        // One installer at a time in a game folder, and in a mod folder that
        // two game folders reach: the game folder's lock first, then the mod
        // folder's, always in that order. Both are held for the whole change
        // and let go before the rescan, which only reads.
        const std::string& folder = core.m_strModFolder[slot];
        auto lock = locks::LockGameFolder();
        if (!lock) outcome = FailureOutcome(g_szGameDir);
        std::unique_ptr<platform::FileLock> modLock;
        layout::PathBuffer modPath;
        if (lock && !(modLock = locks::LockModFolder(folder, modPath)))
            outcome = modPath[0] ? FailureOutcome(modPath) : TooLongOutcome(folder);
        // The rows were read before the lock: another installer or a script
        // may have changed the mod since. The change is decided again on the
        // mod as it is now, and made only when the rows would offer it now.
        ChangeOutcome now;
        if (lock && (modLock || outcome.problem != ChangeProblem::Busy) && !StillOffered(core, slot, install, now))
            outcome = now;
        else if (modLock) {
            // What killed installers left behind goes first.
            locks::SweepTemporaries(folder, *modLock);
            outcome = change(slot);
        }
    } else {
        outcome.problem = ChangeProblem::NoSuchMod;
    }
    core.ScanMods(rows);
    return outcome;
}

bool ComposeModPaths(const InstallerCore& core, const std::string& folder, char (&libList)[kPathBufferSize],
                     char (&library)[kPathBufferSize]) {
    if (layout::ComposePath(libList, layout::kLibList, g_szGameDir, folder.c_str()) &&
        layout::ComposePath(library, layout::kInstalledLibrary, g_szGameDir, folder.c_str()))
        return true;
    Trace(core, "Paths of %s are too long, nothing changed\n", folder.c_str());
    return false;
}

ChangeOutcome FailureOutcome(const char* path) {
    const platform::Failure& failure = platform::LastFailure();
    ChangeOutcome outcome;
    switch (failure.error) {
        case platform::FileError::InUse: outcome.problem = ChangeProblem::InUse; break;
        case platform::FileError::AccessDenied: outcome.problem = ChangeProblem::AccessDenied; break;
        case platform::FileError::DiskFull: outcome.problem = ChangeProblem::DiskFull; break;
        case platform::FileError::Busy: outcome.problem = ChangeProblem::Busy; break;
        default: outcome.problem = ChangeProblem::Failed; break;
    }
    outcome.detail = layout::ForPlayer(path) + ": " + PlayerReason(failure);
    return outcome;
}

ChangeOutcome TooLongOutcome(const std::string& folder) {
    ChangeOutcome outcome;
    outcome.problem = ChangeProblem::Failed;
    outcome.detail = folder + ": " + Tr("its paths are too long for the installer");
    return outcome;
}

void NoteExtraNotCopied(ChangeOutcome& outcome, const char* target) {
    const std::string shown = layout::ForPlayer(target);
    const std::string reason = PlayerReason(platform::LastFailure());
    // Each reason told once, with the first extra that failed for it: the
    // player mends each cause, and a hundred waypoints that failed for one
    // reason are one line.
    const std::string told = ": " + reason;
    bool known = false;
    for (size_t at = outcome.detail.find(told); at != std::string::npos && !known;
         at = outcome.detail.find(told, at + 1)) {
        const size_t end = at + told.size();
        known = end == outcome.detail.size() || outcome.detail.compare(end, 2, "; ") == 0;
    }
    if (outcome.extrasNotCopied.empty()) outcome.detail = shown + told;
    else if (!known) outcome.detail += "; " + shown + told;
    outcome.extrasNotCopied.push_back(shown);
}

}  // namespace change
