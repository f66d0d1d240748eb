// Installing the bot into one mod.
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "core/change_outcome.h"
#include "core/game_lock.h"
#include "core/install_layout.h"
#include "core/installed_files.h"
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

ChangeOutcome InstallerCore::ChangeSlot(int32_t itemData, bool install, ModRowSink& rows,
                                        const std::function<ChangeOutcome(int slot)>& change) {
    const int slot = ItemDataSlot(itemData);
    ChangeOutcome outcome;
    if (SlotIsUsable(slot)) {
        // One installer at a time in a game folder, and in a mod folder that
        // two game folders reach: the game folder's lock first, then the mod
        // folder's, always in that order. Both are held for the whole change
        // and let go before the rescan, which only reads.
        auto lock = layout::LockGameFolder(outcome);
        std::unique_ptr<platform::FileLock> modLock;
        if (lock) modLock = layout::LockModFolder(m_strModFolder[slot], outcome);
        // The rows were read before the lock: another installer or a script
        // may have changed the mod since. The change is decided again on the
        // mod as it is now, and made only when the rows would offer it now.
        ChangeOutcome now;
        if (lock && (modLock || outcome.problem != ChangeProblem::Busy) && !StillOffered(slot, install, now))
            outcome = now;
        else if (modLock) {
            // What killed installers left behind goes first.
            layout::SweepTemporaries(m_strModFolder[slot], *modLock);
            outcome = change(slot);
        }
    } else {
        outcome.problem = ChangeProblem::NoSuchMod;
    }
    ScanMods(rows);
    return outcome;
}

bool InstallerCore::StillOffered(int slot, bool install, ChangeOutcome& outcome) {
    // Looked at quietly: the trace tells of the change, not of a scan.
    const int log = m_bLog;
    m_bLog = 0;
    const int status = CheckModStatus(slot);
    m_bLog = log;
    const int32_t data = ItemData(status, slot);
    if (status != 0 && (install ? OffersInstall(data) : OffersRemove(data))) return true;
    const std::string& folder = m_strModFolder[slot];
    Trace("%s changed since the list was read, nothing changed\n", folder.c_str());
    outcome.problem = ChangeProblem::StateChanged;
    outcome.detail = status != 0 ? folder + ": its status is now \"" + StatusText(status) + "\""
                                 : folder + ": its liblist.gam can no longer be read";
    return false;
}

ChangeOutcome InstallerCore::InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows) {
    return ChangeSlot(itemData, true, rows, [&](int slot) { return InstallIntoSlot(slot, options); });
}

// The paths an Install writes and reads, composed once.
struct InstallerCore::InstallPaths {
    layout::PathBuffer libList, library, stored, dlls, package;
};

// The new liblist.gam of an Install, and beside it the lines it replaces,
// both written but not yet in place.
struct InstallerCore::PreparedLibList {
    liblist::LibListRewrite rewrite;
    std::unique_ptr<liblist::KeptLinesWriter> kept;  // null: nothing to keep, or kept already
    bool keptFailed = false;                         // the kept lines could not be written
    bool earlierUnfit = false;    // liblist.gam.veldrin keeps other lines, which were never given back
    bool earlierFailed = false;   // liblist.gam.veldrin is there but cannot be read
    bool replacedOthers = false;  // a line that did not reach the bot was replaced
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

    CopyExtras(slot, options, paths, outcome);
    outcome.linuxServerLibrary = LinuxServerLibrary(slot);
    // Lines an earlier Install kept and no Remove gave back are still the
    // ones to give back: the player hears that they wait there.
    if (!prepared.kept && prepared.replacedOthers && platform::PathExists(paths.stored))
        outcome.keptLinesStay = layout::ForPlayer(paths.stored);
    return outcome;
}

bool InstallerCore::PrepareLibList(int slot, const InstallPaths& paths, PreparedLibList& prepared,
                                   ChangeOutcome& outcome) {
    // Every gamedll line points at the bot, and the lines it replaces are
    // kept for Remove to give back: a server's plug-in loader, or a library
    // named otherwise than the catalogue says. A line that reaches the bot's
    // own library is not kept (an upgrade keeps nothing, and leaves what an
    // earlier Install kept), nor one that is exactly the line Remove writes
    // anyway; when other lines are kept beside them, the catalogue's line
    // stands in their place, so that each kept line still answers one
    // gamedll line.
    //
    // Lines an earlier Install kept and no Remove gave back are never
    // overwritten: when the lines to keep are theirs, the file stays as it
    // is; when they differ, nothing changes and the player is told.
    layout::ModLibraries libraries(m_strModFolder[slot]);
    const std::string ownLine = liblist::RemoveLine(m_strModDll[slot]);
    const bool earlierExists = platform::PathExists(paths.stored);
    std::unique_ptr<liblist::KeptLinesReader> earlier;
    liblist::GamedllLine earlierLine;
    auto keep = [&](const std::string& text) {
        int number = 0;
        if (earlierExists) {
            if (!earlier && !(earlier = liblist::KeptLinesReader::Open(paths.stored))) {
                prepared.earlierFailed = true;
                return false;
            }
            if (earlier->Next(earlierLine, number) && earlierLine.Text() == text) return true;
            prepared.earlierFailed = earlier->Failed();
            prepared.earlierUnfit = !prepared.earlierFailed;
            return false;
        }
        if (!prepared.kept) prepared.kept = liblist::KeptLinesWriter::Begin(paths.stored);
        prepared.keptFailed = !prepared.kept || !prepared.kept->Add(text);
        return !prepared.keptFailed;
    };
    size_t waiting = 0;  // lines not kept before the first that is
    bool keeping = false;
    const liblist::RewriteResult result =
        prepared.rewrite.Prepare(paths.libList, [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
            bytes.assign(liblist::kInstallLine).append(line.LineEnd());
            const bool bot = libraries.Judge(line.Path()) == layout::LibraryVerdict::Bot;
            prepared.replacedOthers = prepared.replacedOthers || !bot;
            const bool needless = bot || line.Text() == ownLine;
            if (needless && !keeping) {
                ++waiting;
                return true;
            }
            for (keeping = true; waiting > 0; --waiting)
                if (!keep(ownLine)) return false;
            return keep(bot ? ownLine : line.Text());
        });
    if (result == liblist::RewriteResult::Written && earlier) {
        // The earlier file must hold no more lines than this Install keeps.
        int number = 0;
        prepared.earlierUnfit = earlier->Next(earlierLine, number);
        prepared.earlierFailed = !prepared.earlierUnfit && earlier->Failed();
    }
    if (prepared.earlierUnfit) {
        Trace("%s keeps other lines, never given back, nothing changed\n", paths.stored);
        outcome.problem = ChangeProblem::KeptLinesNotGivenBack;
        outcome.detail = layout::ForPlayer(paths.stored) +
                         ": it keeps the gamedll lines an earlier Install replaced, which no Remove gave back, and "
                         "Install would have to keep other lines in their place";
        return false;
    }
    if (result != liblist::RewriteResult::Written || prepared.earlierFailed) {
        const char* failed = prepared.keptFailed || prepared.earlierFailed ? paths.stored : paths.libList;
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
        earlier = platform::SetAside::Move(paths.stored, platform::LinkAtTarget::Follow);
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

// What the copies of one Install's extras share: the rules, and the record
// of what Install put in the mod, which tells the files an upgrade may
// replace from the player's own.
struct InstallerCore::ExtraCopy {
    ExtraCopy(const std::string& modFolder, const char* packageFolder, ChangeOutcome& result)
        : folder(modFolder),
          package(packageFolder),
          record(modFolder),
          outcome(result),
          prefix(std::strlen(g_szGameDir) + modFolder.size() + 2) {
        rules.within = package;
    }
    const std::string& folder;
    const char* package;
    layout::InstalledFiles record;
    ChangeOutcome& outcome;
    const size_t prefix;  // the length of "<game>\<mod>\", before a target's path in the mod
    platform::CopyRules rules;

    // Copies source to target, a path in the mod's folder, unless the player
    // changed what stands there: then the player's file stays and the
    // package's copy goes beside it.
    void Copy(InstallerCore& core, const char* source, const char* target) {
        const std::string relative = target + prefix;
        rules.replaceIf = [&](const platform::FileInfo& from, const platform::FileInfo& existing) {
            return record.MayReplace(relative, from, existing);
        };
        platform::CopyReport report;
        if (!platform::CopyOver(source, target, rules, nullptr, &report)) {
            layout::NoteExtraNotCopied(outcome, target);
            return;
        }
        if (!report.kept) {
            record.Note(relative, report.copy);
            return;
        }
        layout::PathBuffer beside;
        platform::CopyRules plain;
        plain.within = package;
        if (!layout::ComposePath(beside, "%s%s", target, kPackageCopySuffix) ||
            !platform::CopyOver(source, beside, plain)) {
            layout::NoteExtraNotCopied(outcome, beside[0] ? beside : target);
        }
        core.Trace("Kept %s as the player left it; the package's copy is %s\n", target, beside);
        outcome.extrasKept.push_back(layout::ForPlayer(target));
    }
};

void InstallerCore::CopyExtras(int slot, const InstallOptions& options, const InstallPaths& paths,
                               ChangeOutcome& outcome) {
    ExtraCopy copy(m_strModFolder[slot], paths.package, outcome);
    if (options.bCopyWaypoints) CopyWaypoints(copy);
    if (options.bCopyNames) CopyExtra(layout::kNamesSource, layout::kNamesTarget, copy);
    if (options.bCopyChat) CopyExtra(layout::kChatSource, layout::kChatTarget, copy);
    if (options.bCopyCfg) CopyExtra(layout::kCfgSource, layout::kCfgTarget, copy);
    if (options.bCopyWpnConfigs && slot == WEAPON_CONFIG_SLOT)
        CopyExtra(layout::kWeaponCfgSource, layout::kWeaponCfgTarget, copy);
    // Without the record a later upgrade only keeps more files as the
    // player's: no reason to fail the Install.
    if (!copy.record.Save(paths.libList))
        Trace("Could not write %s: %s\n", copy.record.Path(), platform::LastFailure().reason.c_str());
}

void InstallerCore::CopyWaypoints(ExtraCopy& copy) {
    const std::string& folder = copy.folder;
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
        copy.Copy(*this, source, target);
    }
}

void InstallerCore::CopyExtra(const char* sourceTemplate, const char* targetTemplate, ExtraCopy& copy) {
    layout::PathBuffer source;
    layout::PathBuffer target;
    if (!layout::ComposePath(source, sourceTemplate, g_szGameDir) ||
        !layout::ComposePath(target, targetTemplate, g_szGameDir, copy.folder.c_str()))
        return;
    // A package without this extra has nothing to copy; that is no failure.
    // One that only a link out of the package reaches is not the package's.
    if (platform::PathExists(source)) copy.Copy(*this, source, target);
    Trace("Copyied %s to %s\n", source, target);
}
