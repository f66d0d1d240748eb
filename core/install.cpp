// Installing the bot into one mod.
#include <functional>
#include <memory>
#include <vector>

#include "core/change_outcome.h"
#include "core/game_lock.h"
#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "core/mod_library.h"
#include "platform/file_system.h"

bool InstallerCore::SlotIsUsable(int slot) const {
    return g_szGameDir[0] != '\0' && slot >= 0 && slot < m_nModCount && layout::IsPlainName(m_strModFolder[slot]);
}

bool InstallerCore::ComposeModPaths(const std::string& folder, char (&libList)[256], char (&library)[256]) {
    if (layout::ComposePath(libList, layout::kLibList, g_szGameDir, folder.c_str()) &&
        layout::ComposePath(library, layout::kInstalledLibrary, g_szGameDir, folder.c_str()))
        return true;
    Trace("Paths of %s are too long, nothing changed\n", folder.c_str());
    return false;
}

ChangeOutcome InstallerCore::ChangeSlot(int32_t itemData, ModRowSink& rows,
                                        const std::function<ChangeOutcome(int slot)>& change) {
    const int slot = ItemDataSlot(itemData);
    ChangeOutcome outcome;
    if (SlotIsUsable(slot)) {
        // One installer at a time in a game folder: the lock is held for the
        // whole change and let go before the rescan, which only reads. What
        // killed installers left behind goes first.
        auto lock = layout::LockGameFolder(outcome);
        if (lock) {
            layout::SweepTemporaries(m_strModFolder[slot], *lock);
            outcome = change(slot);
        }
    } else {
        outcome.problem = ChangeProblem::NoSuchMod;
    }
    ScanMods(rows);
    return outcome;
}

ChangeOutcome InstallerCore::InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows) {
    return ChangeSlot(itemData, rows, [&](int slot) { return InstallIntoSlot(slot, options); });
}

// The paths an Install writes and reads, composed once.
struct InstallerCore::InstallPaths {
    layout::PathBuffer libList, library, stored, dlls, package;
};

// The new liblist.gam of an Install, and beside it the lines it replaces,
// both written but not yet in place.
struct InstallerCore::PreparedLibList {
    liblist::LibListRewrite rewrite;
    std::unique_ptr<liblist::KeptLinesWriter> kept;
    bool keptFailed = false;  // the kept lines could not be written
};

ChangeOutcome InstallerCore::InstallIntoSlot(int slot, const InstallOptions& options) {
    const std::string& folder = m_strModFolder[slot];
    Trace("\nPerforming Install for mod: %s\n", m_strModName[slot].c_str());
    Trace("------------------------------\n");

    InstallPaths paths;
    if (!ComposeModPaths(folder, paths.libList, paths.library) ||
        !layout::ComposePath(paths.stored, layout::kStoredLines, g_szGameDir, folder.c_str()) ||
        !layout::ComposePath(paths.dlls, "%s\\%s\\dlls", g_szGameDir, folder.c_str()) ||
        !layout::ComposePath(paths.package, layout::kPackageFolder, g_szGameDir))
        return layout::TooLongOutcome(folder);

    // The new liblist.gam is written first and put in place last: the mod
    // must never name a library that is not there, and whatever fails on
    // the way leaves the mod as it was.
    ChangeOutcome outcome;
    PreparedLibList prepared;
    if (!CheckModFolder(paths.dlls, outcome) || !CheckPackageLibrary(paths.package, outcome) ||
        !PrepareLibList(slot, paths, prepared, outcome) || !PutInPlace(paths, prepared, outcome))
        return outcome;

    CopyExtras(slot, options, paths.package, outcome);
    outcome.linuxServerLibrary = LinuxServerLibrary(slot);
    return outcome;
}

bool InstallerCore::PrepareLibList(int slot, const InstallPaths& paths, PreparedLibList& prepared,
                                   ChangeOutcome& outcome) {
    // Every gamedll line points at the bot, and the lines it replaces are
    // kept for Remove to give back: a server's plug-in loader, or a library
    // named otherwise than the catalogue says. A line that reaches the bot's
    // own library is not kept (an upgrade keeps nothing, and leaves what an
    // earlier Install kept); when other lines are kept beside it, the
    // catalogue's line stands in its place, so that each kept line still
    // answers one gamedll line.
    layout::ModLibraries libraries(m_strModFolder[slot]);
    const std::string ownLine = liblist::RemoveLine(m_strModDll[slot]);
    size_t botLines = 0;
    const liblist::RewriteResult result =
        prepared.rewrite.Prepare(paths.libList, [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
            bytes.assign(liblist::kInstallLine).append(line.LineEnd());
            const bool bot = libraries.Judge(line.Path()) == layout::LibraryVerdict::Bot;
            if (bot && !prepared.kept) {
                ++botLines;
                return true;
            }
            bool ok = true;
            if (!prepared.kept) {
                prepared.kept = liblist::KeptLinesWriter::Begin(paths.stored);
                ok = prepared.kept != nullptr;
                for (size_t i = 0; ok && i < botLines; ++i) ok = prepared.kept->Add(ownLine);
            }
            ok = ok && prepared.kept->Add(bot ? ownLine : line.Text());
            prepared.keptFailed = !ok;
            return ok;
        });
    if (result != liblist::RewriteResult::Written) {
        const char* failed = prepared.keptFailed ? paths.stored : paths.libList;
        Trace("Could not write %s, nothing changed\n", failed);
        outcome = layout::FailureOutcome(failed);
        return false;
    }
    if (prepared.rewrite.Replaced() > 0) return true;
    Trace("No gamedll line in %s, nothing changed\n", paths.libList);
    outcome.problem = ChangeProblem::NoGamedllLine;
    outcome.detail = layout::ForPlayer(paths.libList) + ": it has no gamedll line naming the mod's game library";
    return false;
}

bool InstallerCore::PutInPlace(const InstallPaths& paths, PreparedLibList& prepared, ChangeOutcome& outcome) {
    // The kept lines go in place first, what an earlier Install kept set
    // aside until the new liblist.gam is in place, and back if it cannot be.
    std::unique_ptr<platform::SetAside> earlier;
    if (prepared.kept) {
        earlier = platform::SetAside::Move(paths.stored);
        if (!earlier || !prepared.kept->Commit(paths.libList)) {
            outcome = layout::FailureOutcome(paths.stored);
            Trace("Could not write %s, nothing changed\n", paths.stored);
            if (earlier) earlier->Restore();
            return false;
        }
    }
    auto undoKept = [&] {
        if (!prepared.kept) return;
        platform::RemoveFile(paths.stored);
        earlier->Restore();
    };

    const bool hadLibrary = platform::PathExists(paths.library);
    if (!PutLibrary(paths.library, paths.package, outcome)) {
        undoKept();
        return false;
    }
    for (size_t i = 0; i < prepared.rewrite.Replaced(); ++i) Trace("Found gamedll line in liblist.gam\n");
    if (!prepared.rewrite.Commit()) {
        outcome = layout::FailureOutcome(paths.libList);
        Trace("Could not write %s, it is unchanged\n", paths.libList);
        // Nothing names the new library; one that was not there before goes.
        if (!hadLibrary) platform::RemoveFile(paths.library);
        undoKept();
        return false;
    }
    Trace("Writing new liblist.gam\n");
    return true;
}

bool InstallerCore::CheckModFolder(const char* dlls, ChangeOutcome& outcome) {
    if (platform::IsDirectory(dlls)) return true;
    Trace("%s is missing, nothing changed\n", dlls);
    outcome.problem = ChangeProblem::ModFolderIncomplete;
    outcome.detail = layout::ForPlayer(dlls) + ": the mod has no dlls folder";
    return false;
}

bool InstallerCore::CheckPackageLibrary(const char* package, ChangeOutcome& outcome) {
    // The engine cannot load an empty library, so one is never installed;
    // one reached through a link out of the package is not the package's.
    platform::FileInfo source;
    bool usable = !m_strSourceDll.empty() && platform::ReadableFile(m_strSourceDll.c_str(), &source, package);
    if (m_strSourceDll.empty()) platform::Fail(platform::FileError::NotFound, "the package has no library");
    if (usable && source.size == 0) usable = platform::Fail(platform::FileError::Failed, "the file is empty");
    if (usable) return true;
    Trace("Cannot read %s, nothing changed\n", m_strSourceDll.c_str());
    outcome = layout::FailureOutcome(m_strSourceDll.c_str());
    outcome.problem = ChangeProblem::PackageLibraryUnusable;
    return false;
}

bool InstallerCore::PutLibrary(const char* target, const char* package, ChangeOutcome& outcome) {
    // On the disk before liblist.gam names it: a crash in between must not
    // leave the mod naming an empty file. The package's library is judged
    // again on the handle it is copied from: it may have changed since.
    platform::CopyRules rules;
    rules.toDisk = true;
    rules.within = package;
    rules.nonEmpty = true;
    bool sourceFault = false;
    if (!platform::CopyOver(m_strSourceDll.c_str(), target, rules, &sourceFault)) {
        Trace("Could not copy %s to %s, nothing changed\n", m_strSourceDll.c_str(), target);
        outcome = layout::FailureOutcome(sourceFault ? m_strSourceDll.c_str() : target);
        if (sourceFault) outcome.problem = ChangeProblem::PackageLibraryUnusable;
        return false;
    }
    Trace("Deleting old Veldrin.dll\n");
    Trace("Copied %s to %s\n", m_strSourceDll.c_str(), target);
    return true;
}

void InstallerCore::CopyExtras(int slot, const InstallOptions& options, const char* package, ChangeOutcome& outcome) {
    const std::string& folder = m_strModFolder[slot];
    if (options.bCopyWaypoints) CopyWaypoints(folder, package, outcome);
    if (options.bCopyNames) CopyExtra(layout::kNamesSource, layout::kNamesTarget, folder, package, outcome);
    if (options.bCopyChat) CopyExtra(layout::kChatSource, layout::kChatTarget, folder, package, outcome);
    if (options.bCopyCfg) CopyExtra(layout::kCfgSource, layout::kCfgTarget, folder, package, outcome);
    if (options.bCopyWpnConfigs && slot == WEAPON_CONFIG_SLOT)
        CopyExtra(layout::kWeaponCfgSource, layout::kWeaponCfgTarget, folder, package, outcome);
}

void InstallerCore::CopyWaypoints(const std::string& folder, const char* package, ChangeOutcome& outcome) {
    Trace("Looking for waypoints...\n");
    std::vector<std::string> names;
    layout::PathBuffer pattern;
    if (layout::ComposePath(pattern, layout::kWaypointPattern, g_szGameDir, folder.c_str())) {
        std::string name;
        platform::FindHandle* search = nullptr;
        while ((search = layout::NextFile(search, name, pattern)) != nullptr) names.push_back(name);
    }
    Trace("Found %d waypoint files.\n", static_cast<int>(names.size()));
    // Each new target's name is matched ignoring case against the maps
    // folder; the folder is listed once for all of them, not once each.
    platform::ListingScope keepListings;
    platform::CopyRules rules;
    rules.within = package;
    for (const std::string& name : names) {
        // A name that holds a separator (legal on Linux) would reach a file
        // outside the maps folder.
        if (!layout::IsPlainName(name)) {
            Trace("Skipping waypoint file %s: not a plain file name\n", name.c_str());
            continue;
        }
        layout::PathBuffer source;
        layout::PathBuffer target;
        if (!layout::ComposePath(source, layout::kWaypointSource, g_szGameDir, folder.c_str(), name.c_str()) ||
            !layout::ComposePath(target, layout::kWaypointTarget, g_szGameDir, folder.c_str(), name.c_str()))
            continue;
        Trace("Copying %s to %s\n", source, target);
        if (!platform::CopyOver(source, target, rules)) layout::NoteExtraNotCopied(outcome, target);
    }
}

void InstallerCore::CopyExtra(const char* sourceTemplate, const char* targetTemplate, const std::string& folder,
                              const char* package, ChangeOutcome& outcome) {
    layout::PathBuffer source;
    layout::PathBuffer target;
    if (!layout::ComposePath(source, sourceTemplate, g_szGameDir) ||
        !layout::ComposePath(target, targetTemplate, g_szGameDir, folder.c_str()))
        return;
    // A package without this extra has nothing to copy; that is no failure.
    // One that only a link out of the package reaches is not the package's.
    platform::CopyRules rules;
    rules.within = package;
    if (platform::PathExists(source) && !platform::CopyOver(source, target, rules))
        layout::NoteExtraNotCopied(outcome, target);
    Trace("Copyied %s to %s\n", source, target);
}
