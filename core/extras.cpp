// The extras of an Install: what it copies besides the library, and the
// record of what it put in place, by which an upgrade tells the files it may
// replace from the player's own.
#include "core/extras.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/change.h"
#include "core/extras_record.h"
#include "core/paths.h"
#include "core/trace.h"
#include "platform/file_system.h"

namespace extras {

namespace {

// What the copies of one Install's extras share: the rules, and the record
// of what Install put in the mod, which tells the files an upgrade may
// replace from the player's own.
struct ExtraCopy {
    ExtraCopy(InstallerCore& installer, const std::string& modFolder, const char* packageFolder, ChangeOutcome& result)
        : core(installer),
          folder(modFolder),
          package(packageFolder),
          record(modFolder),
          outcome(result),
          prefix(std::strlen(g_szGameDir) + modFolder.size() + 2) {
        rules.within = package;
    }
    InstallerCore& core;
    const std::string& folder;
    const char* package;
    InstalledFiles record;
    ChangeOutcome& outcome;
    const size_t prefix;  // the length of "<game>\<mod>\", before a target's path in the mod
    platform::CopyRules rules;

    // Copies source to target, a path in the mod's folder, unless the player
    // changed what stands there: then the player's file stays and the
    // package's copy goes beside it. Returns false, the failure noted in the
    // outcome, when a copy failed.
    bool Copy(const char* source, const char* target) {
        const std::string relative = target + prefix;
        rules.replaceIf = [&](const platform::FileInfo& from, const platform::FileInfo& existing) {
            return record.MayReplace(relative, from, existing);
        };
        platform::CopyReport report;
        if (!platform::CopyOver(source, target, rules, nullptr, &report)) {
            change::NoteExtraNotCopied(outcome, target);
            return false;
        }
        if (!report.kept) {
            record.Note(relative, report.copy);
            return true;
        }
        layout::PathBuffer beside;
        platform::CopyRules plain;
        plain.within = package;
        Trace(core, "Kept %s as the player left it\n", target);
        outcome.extrasKept.push_back(layout::ForPlayer(target));
        if (layout::ComposePath(beside, layout::kPackageCopy, target, kPackageCopySuffix) &&
            platform::CopyOver(source, beside, plain))
            return true;
        change::NoteExtraNotCopied(outcome, beside[0] ? beside : target);
        return false;
    }

    // Traces a copy that failed, after the trace of the copy itself.
    void TraceFailure(const char* source, const char* target) const {
        const std::string reason = platform::LastFailure().reason;
        Trace(core, "Could not copy %s to %s: %s\n", source, target, reason.c_str());
    }
};

void CopyWaypoints(ExtraCopy& copy);
void CopyExtra(const char* sourceTemplate, const char* targetTemplate, ExtraCopy& copy);

}  // namespace

void Copy(InstallerCore& core, int slot, const InstallOptions& options, const char* package, const char* model,
          ChangeOutcome& outcome) {
    ExtraCopy copy(core, core.m_strModFolder[slot], package, outcome);
    if (options.bCopyWaypoints) CopyWaypoints(copy);
    if (options.bCopyNames) CopyExtra(layout::kNamesSource, layout::kNamesTarget, copy);
    if (options.bCopyChat) CopyExtra(layout::kChatSource, layout::kChatTarget, copy);
    if (options.bCopyCfg) CopyExtra(layout::kCfgSource, layout::kCfgTarget, copy);
    if (options.bCopyWpnConfigs && slot == WEAPON_CONFIG_SLOT)
        CopyExtra(layout::kWeaponCfgSource, layout::kWeaponCfgTarget, copy);
    // Without the record a later upgrade only keeps more files as the
    // player's: no reason to fail the Install.
    if (!copy.record.Save(model))
        Trace(core, "Could not write %s: %s\n", copy.record.Path(), platform::LastFailure().reason.c_str());
}

namespace {

void CopyWaypoints(ExtraCopy& copy) {
    const std::string& folder = copy.folder;
    Trace(copy.core, "Looking for waypoints...\n");
    std::vector<std::string> names;
    layout::PathBuffer pattern;
    if (layout::ComposePath(pattern, layout::kWaypointPattern, g_szGameDir, folder.c_str())) {
        std::string name;
        platform::FindHandle* search = nullptr;
        while ((search = layout::NextFile(search, name, pattern)) != nullptr) names.push_back(name);
    }
    Trace(copy.core, "Found %d waypoint files.\n", static_cast<int>(names.size()));
    // Each new target's name is matched ignoring case against the maps
    // folder; the folder is listed once for all of them, not once each.
    platform::ListingScope keepListings;
    for (const std::string& name : names) {
        // A name that holds a separator (legal on Linux) would reach a file
        // outside the maps folder.
        if (!layout::IsPlainName(name)) {
            Trace(copy.core, "Skipping waypoint file %s: not a plain file name\n", name.c_str());
            continue;
        }
        layout::PathBuffer source;
        layout::PathBuffer target;
        if (!layout::ComposePath(source, layout::kWaypointSource, g_szGameDir, folder.c_str(), name.c_str()) ||
            !layout::ComposePath(target, layout::kWaypointTarget, g_szGameDir, folder.c_str(), name.c_str()))
            continue;
        Trace(copy.core, "Copying %s to %s\n", source, target);
        if (!copy.Copy(source, target)) copy.TraceFailure(source, target);
    }
}

void CopyExtra(const char* sourceTemplate, const char* targetTemplate, ExtraCopy& copy) {
    layout::PathBuffer source;
    layout::PathBuffer target;
    if (!layout::ComposePath(source, sourceTemplate, g_szGameDir) ||
        !layout::ComposePath(target, targetTemplate, g_szGameDir, copy.folder.c_str()))
        return;
    // A package without this extra has nothing to copy; that is no failure.
    // One that only a link out of the package reaches is not the package's.
    const bool copied = !platform::PathExists(source) || copy.Copy(source, target);
    Trace(copy.core, "Copyied %s to %s\n", source, target);
    if (!copied) copy.TraceFailure(source, target);
}

}  // namespace

}  // namespace extras
