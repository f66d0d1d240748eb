// Installing the bot into one mod.
#include <vector>

#include "core/install_layout.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "platform/file_system.h"

bool InstallerCore::SlotIsUsable(int slot) const {
    return slot >= 0 && slot < m_nModCount && layout::IsPlainFolderName(m_strModFolder[slot]);
}

bool InstallerCore::ComposeModPaths(const std::string& folder, char (&libList)[256], char (&library)[256]) {
    if (layout::ComposePath(libList, layout::kLibList, g_szGameDir, folder.c_str()) &&
        layout::ComposePath(library, layout::kInstalledLibrary, g_szGameDir, folder.c_str()))
        return true;
    Trace("Paths of %s are too long, nothing changed\n", folder.c_str());
    return false;
}

ChangeOutcome InstallerCore::InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows) {
    int slot = itemData % 100;
    ChangeOutcome outcome;
    if (SlotIsUsable(slot))
        outcome = InstallIntoSlot(slot, options);
    else
        outcome.problem = ChangeProblem::NoSuchMod;
    ScanMods(rows);
    return outcome;
}

ChangeOutcome InstallerCore::InstallIntoSlot(int slot, const InstallOptions& options) {
    const std::string& folder = m_strModFolder[slot];
    Trace("\nPerforming Install for mod: %s\n", m_strModName[slot].c_str());
    Trace("------------------------------\n");

    ChangeOutcome outcome;
    layout::PathBuffer libList;
    layout::PathBuffer target;
    if (!ComposeModPaths(folder, libList, target)) {
        outcome.problem = ChangeProblem::Failed;
        outcome.detail = folder + ": the path is too long";
        return outcome;
    }

    // The mod must never be pointed at a library that is not there, so the
    // library goes in first and liblist.gam is rewritten only after it.
    auto source = m_strSourceDll.empty() ? nullptr : platform::TextFile::Open(m_strSourceDll.c_str(), "r");
    if (!source) {
        Trace("Cannot read %s, nothing changed\n", m_strSourceDll.c_str());
        outcome = layout::FailureOutcome(m_strSourceDll.c_str());
        outcome.problem = ChangeProblem::PackageLibraryUnusable;
        return outcome;
    }
    source->Close();
    if (!PutLibraryInPlace(target)) {
        Trace("Could not copy %s to %s, nothing changed\n", m_strSourceDll.c_str(), target);
        return layout::FailureOutcome(target);
    }
    Trace("Deleting old Veldrin.dll\n");
    Trace("Copied %s to %s\n", m_strSourceDll.c_str(), target);

    liblist::RewriteResult result = liblist::RewriteLibList(
        libList, liblist::kInstallRow, [this] { Trace("Found gamedll line in liblist.gam\n"); },
        [this] { Trace("Writing new liblist.gam\n"); });
    if (result == liblist::RewriteResult::Failed) {
        Trace("Could not write %s, it is unchanged\n", libList);
        return layout::FailureOutcome(libList);
    }

    if (options.bCopyWaypoints) CopyWaypoints(folder, outcome);
    if (options.bCopyNames) CopyExtra(layout::kNamesSource, layout::kNamesTarget, folder, outcome);
    if (options.bCopyChat) CopyExtra(layout::kChatSource, layout::kChatTarget, folder, outcome);
    if (options.bCopyCfg) CopyExtra(layout::kCfgSource, layout::kCfgTarget, folder, outcome);
    if (options.bCopyWpnConfigs && slot == WEAPON_CONFIG_SLOT)
        CopyExtra(layout::kWeaponCfgSource, layout::kWeaponCfgTarget, folder, outcome);
    return outcome;
}

bool InstallerCore::PutLibraryInPlace(const char* target) {
    // A copy beside the target, renamed over it: the old library stays whole
    // until the new one is complete, and a failure leaves it as it was.
    const std::string temp = std::string(target) + ".veldrin-new";
    if (platform::CopyOver(m_strSourceDll.c_str(), temp.c_str()) && platform::RenameOver(temp.c_str(), target))
        return true;
    platform::RemoveFile(temp.c_str());
    return false;
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
