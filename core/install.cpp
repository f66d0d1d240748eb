// Installing the bot into one mod: liblist.gam pointed at the bot, the
// lines it replaces kept for Remove, the library put in place first, then
// the extras.
#include <functional>
#include <memory>
#include <string>

#include "core/change.h"
#include "core/extras.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "core/libraries.h"
#include "core/paths.h"
#include "core/trace.h"
#include "core/translations.h"
#include "platform/file_system.h"

namespace {

// One Install into one mod, from its checks to its extras.
class Installation {
public:
    Installation(InstallerCore& core, int slot) : core_(core), slot_(slot) {}
    ChangeOutcome Run(const InstallOptions& options);

private:
    bool ComposePaths();
    bool CheckModFolder();
    bool CheckPackageLibrary();
    bool PrepareLibList();
    bool KeepLine(const std::string& text);
    bool CheckPrepared(liblist::RewriteResult result);
    bool PutInPlace();
    bool PutLibrary();
    void TellNotRestored();

    InstallerCore& core_;
    const int slot_;
    ChangeOutcome outcome_;

    // The paths an Install writes and reads, composed once.
    struct Paths {
        layout::PathBuffer libList, library, stored, dlls, package;
    } paths_;

    // The new liblist.gam, and beside it the lines it replaces, both written
    // but not yet in place.
    struct Prepared {
        liblist::LibListRewrite rewrite;
        std::unique_ptr<liblist::KeptLinesWriter> kept;  // null: nothing to keep, or kept already
        bool keptFailed = false;                         // the kept lines could not be written
        bool earlierUnfit = false;    // liblist.gam.veldrin keeps other lines, which were never given back
        bool earlierFailed = false;   // liblist.gam.veldrin is there but cannot be read
        bool replacedOthers = false;  // a line that did not reach the bot was replaced
        // What an earlier Install kept, read line by line against the lines to keep.
        bool earlierExists = false;
        std::unique_ptr<liblist::KeptLinesReader> earlier;
        liblist::GamedllLine earlierLine;
    } prepared_;
};

ChangeOutcome Installation::Run(const InstallOptions& options) {
    Trace(core_, "\nPerforming Install for mod: %s\n", core_.m_strModName[slot_].c_str());
    Trace(core_, "------------------------------\n");
    if (!ComposePaths()) return change::TooLongOutcome(core_.m_strModFolder[slot_]);

    // The new liblist.gam is written first and put in place last: the mod
    // must never name a library that is not there, and whatever fails on
    // the way leaves the mod as it was.
    if (!CheckModFolder() || !CheckPackageLibrary() || !PrepareLibList() || !PutInPlace()) return outcome_;

    extras::Copy(core_, slot_, options, paths_.package, paths_.libList, outcome_);
    outcome_.linuxServerLibrary = core_.LinuxServerLibrary(slot_);
    // Lines an earlier Install kept and no Remove gave back are still the
    // ones to give back: the player hears that they wait there.
    if (!prepared_.kept && prepared_.replacedOthers && platform::PathExists(paths_.stored))
        outcome_.keptLinesStay = layout::ForPlayer(paths_.stored);
    return outcome_;
}

bool Installation::ComposePaths() {
    const char* folder = core_.m_strModFolder[slot_].c_str();
    return change::ComposeModPaths(core_, core_.m_strModFolder[slot_], paths_.libList, paths_.library) &&
           layout::ComposePath(paths_.stored, layout::kStoredLines, g_szGameDir, folder) &&
           layout::ComposePath(paths_.dlls, layout::kModDlls, g_szGameDir, folder) &&
           layout::ComposePath(paths_.package, layout::kPackageFolder, g_szGameDir);
}

bool Installation::KeepLine(const std::string& text) {
    // Lines an earlier Install kept and no Remove gave back are never
    // overwritten: the lines to keep must be theirs, one by one.
    Prepared& p = prepared_;
    if (p.earlierExists) {
        int number = 0;
        if (!p.earlier && !(p.earlier = liblist::KeptLinesReader::Open(paths_.stored))) {
            p.earlierFailed = true;
            return false;
        }
        if (p.earlier->Next(p.earlierLine, number) && p.earlierLine.Text() == text) return true;
        p.earlierFailed = p.earlier->Failed();
        p.earlierUnfit = !p.earlierFailed;
        return false;
    }
    if (!p.kept) p.kept = liblist::KeptLinesWriter::Begin(paths_.stored);
    p.keptFailed = !p.kept || !p.kept->Add(text);
    return !p.keptFailed;
}

bool Installation::PrepareLibList() {
    // Every gamedll line points at the bot, and the lines it replaces are
    // kept for Remove to give back: a server's plug-in loader, or a library
    // named otherwise than the catalogue says. A line that reaches the bot's
    // own library is not kept (an upgrade keeps nothing, and leaves what an
    // earlier Install kept), nor one that is exactly the line Remove writes
    // anyway; when other lines are kept beside them, the catalogue's line
    // stands in their place, so that each kept line still answers one
    // gamedll line.
    libraries::ModLibraries judge(core_.m_strModFolder[slot_]);
    const std::string ownLine = liblist::RemoveLine(core_.m_strModDll[slot_]);
    prepared_.earlierExists = platform::PathExists(paths_.stored);
    size_t waiting = 0;  // lines not kept before the first that is
    bool keeping = false;
    std::string path;  // each line's, in one room
    const liblist::RewriteResult result =
        prepared_.rewrite.Prepare(paths_.libList, [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
            bytes.assign(liblist::kInstallLine).append(line.LineEnd());
            line.PathInto(path);
            const bool bot = judge.Judge(path) == libraries::Verdict::Bot;
            prepared_.replacedOthers = prepared_.replacedOthers || !bot;
            if ((bot || line.Text() == ownLine) && !keeping) {
                ++waiting;
                return true;
            }
            for (keeping = true; waiting > 0; --waiting)
                if (!KeepLine(ownLine)) return false;
            return KeepLine(bot ? ownLine : line.Text());
        });
    if (result == liblist::RewriteResult::Written && prepared_.earlier) {
        // The earlier file must hold no more lines than this Install keeps.
        int number = 0;
        prepared_.earlierUnfit = prepared_.earlier->Next(prepared_.earlierLine, number);
        prepared_.earlierFailed = !prepared_.earlierUnfit && prepared_.earlier->Failed();
    }
    return CheckPrepared(result);
}

bool Installation::CheckPrepared(liblist::RewriteResult result) {
    if (prepared_.earlierUnfit) {
        Trace(core_, "%s keeps other lines, never given back, nothing changed\n", paths_.stored);
        outcome_.problem = ChangeProblem::KeptLinesNotGivenBack;
        outcome_.detail = layout::ForPlayer(paths_.stored) + ": " +
                          Tr("it keeps the gamedll lines an earlier Install replaced, which no Remove gave back, and "
                             "Install would have to keep other lines in their place");
        return false;
    }
    if (result != liblist::RewriteResult::Written || prepared_.earlierFailed) {
        const char* failed = prepared_.keptFailed || prepared_.earlierFailed ? paths_.stored : paths_.libList;
        Trace(core_, "Could not write %s, nothing changed\n", failed);
        outcome_ = change::FailureOutcome(failed);
        return false;
    }
    if (prepared_.rewrite.Replaced() > 0) return true;
    Trace(core_, "No gamedll line in %s, nothing changed\n", paths_.libList);
    outcome_.problem = ChangeProblem::NoGamedllLine;
    outcome_.detail =
        layout::ForPlayer(paths_.libList) + ": " + Tr("it has no gamedll line naming the mod's game library");
    return false;
}

bool Installation::PutInPlace() {
    // The kept lines go in place first, what an earlier Install kept set
    // aside until the new liblist.gam is in place, and back if it cannot be.
    std::unique_ptr<platform::SetAside> earlier;
    if (prepared_.kept) {
        earlier = platform::SetAside::Move(paths_.stored, platform::LinkAtTarget::Follow);
        if (!earlier || !prepared_.kept->Commit(paths_.libList)) {
            outcome_ = change::FailureOutcome(paths_.stored);
            Trace(core_, "Could not write %s, nothing changed\n", paths_.stored);
            if (earlier && !earlier->Restore()) TellNotRestored();
            return false;
        }
    }
    // Undone, the new kept lines go and an earlier file comes back; a step
    // of that which fails is traced, and a file that could not come back is
    // told, since it may hold lines no Remove gave back yet.
    auto undoKept = [&] {
        if (!prepared_.kept) return;
        if (!platform::RemoveFile(paths_.stored))
            Trace(core_, "Could not delete %s: %s\n", paths_.stored, platform::LastFailure().reason.c_str());
        if (!earlier->Restore()) TellNotRestored();
    };

    const bool hadLibrary = platform::PathExists(paths_.library);
    if (!PutLibrary()) {
        undoKept();
        return false;
    }
    for (size_t i = 0; i < prepared_.rewrite.Replaced(); ++i) Trace(core_, "Found gamedll line in liblist.gam\n");
    if (!prepared_.rewrite.Commit()) {
        outcome_ = change::FailureOutcome(paths_.libList);
        Trace(core_, "Could not write %s, it is unchanged\n", paths_.libList);
        // Nothing names the new library; one that was not there before goes.
        if (!hadLibrary && !platform::RemoveFile(paths_.library))
            Trace(core_, "Could not delete %s: %s\n", paths_.library, platform::LastFailure().reason.c_str());
        undoKept();
        return false;
    }
    Trace(core_, "Writing new liblist.gam\n");
    return true;
}

void Installation::TellNotRestored() {
    // It may hold lines no Remove gave back yet: the player must hear where.
    const platform::Failure failure = platform::LastFailure();
    Trace(core_, "Could not put %s back: %s\n", paths_.stored, failure.reason.c_str());
    outcome_.detail +=
        "; " + Fill(Tr("%s was set aside and could not be put back (%s): it lies beside it under a temporary name"),
                    {layout::ForPlayer(paths_.stored), PlayerReason(failure)});
}

bool Installation::CheckModFolder() {
    if (platform::IsDirectory(paths_.dlls)) return true;
    Trace(core_, "%s is missing, nothing changed\n", paths_.dlls);
    outcome_.problem = ChangeProblem::ModFolderIncomplete;
    outcome_.detail = layout::ForPlayer(paths_.dlls) + ": " + Tr("the mod has no dlls folder");
    return false;
}

bool Installation::CheckPackageLibrary() {
    // The engine cannot load an empty library, so one is never installed;
    // one reached through a link out of the package is not the package's.
    platform::FileInfo source;
    bool usable =
        !core_.m_strSourceDll.empty() && platform::ReadableFile(core_.m_strSourceDll.c_str(), &source, paths_.package);
    if (core_.m_strSourceDll.empty())
        platform::FailInWords(platform::FileError::NotFound, PlayerWords("the package has no library"));
    if (usable && source.size == 0)
        usable = platform::FailInWords(platform::FileError::Failed, PlayerWords("the file is empty"));
    if (usable) return true;
    Trace(core_, "Cannot read %s, nothing changed\n", core_.m_strSourceDll.c_str());
    outcome_ = change::FailureOutcome(core_.m_strSourceDll.c_str());
    outcome_.problem = ChangeProblem::PackageLibraryUnusable;
    return false;
}

bool Installation::PutLibrary() {
    // On the disk before liblist.gam names it: a crash in between must not
    // leave the mod naming an empty file. The package's library is judged
    // again on the handle it is copied from: it may have changed since.
    platform::CopyRules rules;
    rules.toDisk = true;
    rules.within = paths_.package;
    rules.nonEmpty = true;
    bool sourceFault = false;
    if (!platform::CopyOver(core_.m_strSourceDll.c_str(), paths_.library, rules, &sourceFault)) {
        Trace(core_, "Could not copy %s to %s, nothing changed\n", core_.m_strSourceDll.c_str(), paths_.library);
        outcome_ = change::FailureOutcome(sourceFault ? core_.m_strSourceDll.c_str() : paths_.library);
        if (sourceFault) outcome_.problem = ChangeProblem::PackageLibraryUnusable;
        return false;
    }
    Trace(core_, "Deleting old Veldrin.dll\n");
    Trace(core_, "Copied %s to %s\n", core_.m_strSourceDll.c_str(), paths_.library);
    return true;
}

}  // namespace

ChangeOutcome InstallerCore::InstallMod(int32_t itemData, const InstallOptions& options, ModRowSink& rows) {
    return change::Locked(*this, itemData, true, rows,
                          [&](int slot) { return Installation(*this, slot).Run(options); });
}
