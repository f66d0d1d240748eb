// Installing the bot into one mod.
#include <vector>

#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
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

ChangeOutcome InstallerCore::InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows) {
    const int slot = ItemDataSlot(itemData);
    ChangeOutcome outcome;
    if (SlotIsUsable(slot)) {
        // One installer at a time in a game folder: the lock is held for the
        // whole change and let go before the rescan, which only reads.
        auto lock = layout::LockGameFolder(outcome);
        if (lock) outcome = InstallIntoSlot(slot, options);
    } else {
        outcome.problem = ChangeProblem::NoSuchMod;
    }
    ScanMods(rows);
    return outcome;
}

ChangeOutcome InstallerCore::InstallIntoSlot(int slot, const InstallOptions& options) {
    const std::string& folder = m_strModFolder[slot];
    Trace("\nPerforming Install for mod: %s\n", m_strModName[slot].c_str());
    Trace("------------------------------\n");

    layout::PathBuffer libList;
    layout::PathBuffer target;
    if (!ComposeModPaths(folder, libList, target)) return layout::TooLongOutcome(folder);

    // The engine cannot load an empty library, so one is never installed.
    platform::FileInfo source;
    bool usable = !m_strSourceDll.empty() && platform::ReadableFile(m_strSourceDll.c_str(), &source);
    if (m_strSourceDll.empty()) platform::Fail(platform::FileError::NotFound, "the package has no library");
    if (usable && source.size == 0) usable = platform::Fail(platform::FileError::Failed, "the file is empty");
    if (!usable) {
        Trace("Cannot read %s, nothing changed\n", m_strSourceDll.c_str());
        ChangeOutcome outcome = layout::FailureOutcome(m_strSourceDll.c_str());
        outcome.problem = ChangeProblem::PackageLibraryUnusable;
        return outcome;
    }

    // The new liblist.gam is written first and put in place last: the mod
    // must never name a library that is not there, and whatever fails on
    // the way leaves the mod as it was.
    liblist::LibListRewrite rewrite;
    const std::string installRow = liblist::AsWritten(liblist::kInstallRow);
    liblist::RewriteResult prepared = rewrite.Prepare(libList, [&](size_t, const std::string&) { return installRow; });
    if (prepared != liblist::RewriteResult::Written) {
        Trace("Could not write %s, nothing changed\n", libList);
        return layout::FailureOutcome(libList);
    }
    if (rewrite.Replaced().empty()) {
        Trace("No gamedll line in %s, nothing changed\n", libList);
        platform::Fail(platform::FileError::Failed, "it has no gamedll line naming the mod's game library");
        return layout::FailureOutcome(libList);
    }

    // The lines the bot's line replaces are kept for Remove to give back: a
    // server's plug-in loader, or a library named otherwise than the
    // catalogue says. An upgrade replaces only the bot's own line, and
    // leaves what an earlier Install kept.
    bool remember = false;
    for (const std::string& row : rewrite.Replaced()) remember = remember || !liblist::NamesBot(row.c_str());
    layout::PathBuffer stored;
    if (remember && !layout::ComposePath(stored, layout::kStoredLines, g_szGameDir, folder.c_str()))
        return layout::TooLongOutcome(folder);
    std::vector<std::string> storedBefore;
    const bool hadStored = remember && liblist::ReadStoredLines(stored, storedBefore);
    if (remember && !liblist::StoreLines(stored, rewrite.Replaced(), libList)) {
        Trace("Could not write %s, nothing changed\n", stored);
        return layout::FailureOutcome(stored);
    }
    // Puts back what was kept before, when what follows fails.
    auto undoStored = [&] {
        if (!remember) return;
        if (hadStored) liblist::StoreLines(stored, storedBefore, libList);
        else platform::RemoveFile(stored);
    };

    const bool hadLibrary = platform::PathExists(target);
    // On the disk before liblist.gam names it: a crash in between must not
    // leave the mod naming an empty file.
    if (!platform::CopyOver(m_strSourceDll.c_str(), target, true)) {
        ChangeOutcome outcome = layout::FailureOutcome(target);
        Trace("Could not copy %s to %s, nothing changed\n", m_strSourceDll.c_str(), target);
        undoStored();
        return outcome;
    }
    Trace("Deleting old Veldrin.dll\n");
    Trace("Copied %s to %s\n", m_strSourceDll.c_str(), target);

    for (size_t i = 0; i < rewrite.Replaced().size(); ++i) Trace("Found gamedll line in liblist.gam\n");
    if (!rewrite.Commit()) {
        ChangeOutcome outcome = layout::FailureOutcome(libList);
        Trace("Could not write %s, it is unchanged\n", libList);
        // Nothing names the new library; one that was not there before goes.
        if (!hadLibrary) platform::RemoveFile(target);
        undoStored();
        return outcome;
    }
    Trace("Writing new liblist.gam\n");

    ChangeOutcome outcome;
    if (options.bCopyWaypoints) CopyWaypoints(folder, outcome);
    if (options.bCopyNames) CopyExtra(layout::kNamesSource, layout::kNamesTarget, folder, outcome);
    if (options.bCopyChat) CopyExtra(layout::kChatSource, layout::kChatTarget, folder, outcome);
    if (options.bCopyCfg) CopyExtra(layout::kCfgSource, layout::kCfgTarget, folder, outcome);
    if (options.bCopyWpnConfigs && slot == WEAPON_CONFIG_SLOT)
        CopyExtra(layout::kWeaponCfgSource, layout::kWeaponCfgTarget, folder, outcome);
    return outcome;
}

void InstallerCore::CopyWaypoints(const std::string& folder, ChangeOutcome& outcome) {
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
        if (!platform::CopyOver(source, target)) layout::NoteExtraNotCopied(outcome, target);
    }
}

void InstallerCore::CopyExtra(const char* sourceTemplate, const char* targetTemplate, const std::string& folder,
                              ChangeOutcome& outcome) {
    layout::PathBuffer source;
    layout::PathBuffer target;
    if (!layout::ComposePath(source, sourceTemplate, g_szGameDir) ||
        !layout::ComposePath(target, targetTemplate, g_szGameDir, folder.c_str()))
        return;
    // A package without this extra has nothing to copy; that is no failure.
    if (platform::PathExists(source) && !platform::CopyOver(source, target))
        layout::NoteExtraNotCopied(outcome, target);
    Trace("Copyied %s to %s\n", source, target);
}
