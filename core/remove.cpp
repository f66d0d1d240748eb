// Taking the bot out of one mod: the lines Install kept given back in
// place of the bot's, or the catalogue's library, then the bot's library
// deleted once nothing names it.
#include <memory>
#include <string>

#include "core/change.h"
#include "core/installer_core.h"
#include "core/liblist.h"
#include "core/libraries.h"
#include "core/paths.h"
#include "core/trace.h"
#include "core/translations.h"
#include "platform/file_system.h"

namespace {

// What liblist.gam.veldrin holds for one Remove.
struct KeptLines {
    enum class State {
        None,      // there is no such file: the catalogue's library goes back
        GiveBack,  // its lines go back, one for each gamedll line
        Missing,   // a library they name is missing: the catalogue's goes back, the file stays
        Unfit      // it does not fit liblist.gam: nothing changes
    };
    State state = State::None;
    size_t count = 0;      // its lines that are not blank
    std::string missing;   // State::Missing: the first library the game could not load, for the player
    std::string rule;      // State::Missing: the rule that library failed, for the trace
    std::string ruleTold;  // the same for the player
    std::string why;       // State::Unfit: why, for the player
};

// Why kept lines do not fit liblist.gam: it has another number of gamedll
// lines (more than were read, with more), or none.
std::string UnfitWhy(size_t keeps, size_t has, bool more) {
    if (has == 0 && !more) return Tr("liblist.gam has no gamedll line to give its lines back to");
    const std::string lines = more ? std::string(Tr("more gamedll lines"))
                                   : Fill(TrPlural("%s gamedll line", "%s gamedll lines", has), {std::to_string(has)});
    return Fill(TrPlural("it keeps %s gamedll line, and liblist.gam has %s",
                         "it keeps %s gamedll lines, and liblist.gam has %s", keeps),
                {std::to_string(keeps), lines});
}

ChangeOutcome Unfit(const char* stored, const std::string& why) {
    ChangeOutcome outcome;
    outcome.problem = ChangeProblem::KeptLinesUnfit;
    outcome.detail = layout::ForPlayer(stored) + ": " + why;
    return outcome;
}

// The mod's own library as the catalogue names it, from the mod's folder.
std::string OwnLibraryPath(const std::string& base) {
    layout::PathBuffer path;
    return layout::ComposePath(path, layout::kOwnLibraryInMod, base.c_str()) ? path : "";
}

// linuxServes: the mod's gamedll_linux library is there, so a Windows
// library a line names that is missing breaks nothing a Linux server runs.
KeptLines ReadKeptLines(const char* stored, const std::string& folder, bool linuxServes, ChangeOutcome& outcome) {
    KeptLines kept;
    auto reader = liblist::KeptLinesReader::Open(stored);
    if (!reader) {
        if (platform::LastFailure().error != platform::FileError::NotFound) outcome = change::FailureOutcome(stored);
        return kept;
    }
    // Each line is judged as the game would load it: one that leaves the
    // game folder, reaches nothing, no regular file or the bot's own is not
    // given back, since writing it back would leave the mod broken.
    libraries::ModLibraries judge(folder);
    liblist::GamedllLine line;
    int number = 0;
    std::string path;
    kept.state = KeptLines::State::GiveBack;
    while (reader->Next(line, number)) {
        ++kept.count;
        if (!liblist::IsGamedllRow(line.Text().c_str())) {
            kept.state = KeptLines::State::Unfit;
            kept.why = Fill(Tr("line %s is not a gamedll line"), {std::to_string(number)});
            return kept;
        }
        // Judged once a path, in one room: a file may hold millions of lines.
        if (kept.state != KeptLines::State::GiveBack) continue;
        line.PathInto(path);
        const libraries::Verdict verdict = judge.Judge(path);
        if (verdict != libraries::Verdict::Present && !(verdict == libraries::Verdict::Missing && linuxServes)) {
            kept.state = KeptLines::State::Missing;
            judge.Judge(path, &kept.missing, &kept.rule, &kept.ruleTold);
        }
    }
    if (reader->Failed()) outcome = change::FailureOutcome(stored);
    return kept;
}

bool CheckOwnLibrary(const InstallerCore& core, int slot, const KeptLines& kept, bool linuxServes,
                     ChangeOutcome& outcome) {
    const std::string& folder = core.m_strModFolder[slot];
    const std::string& base = core.m_strModDll[slot];
    std::string shown, rule, told;
    const libraries::Verdict verdict =
        base.empty() ? libraries::Verdict::Missing
                     : libraries::ModLibraries(folder).Judge(OwnLibraryPath(base), &shown, &rule, &told);
    if (verdict == libraries::Verdict::Present) return true;
    // A Linux server's tree holds the mod's .so library only: the line goes
    // back for the Windows game, and the server loads its own line's library.
    if (verdict == libraries::Verdict::Missing && linuxServes) {
        Trace(core, "The mod's own library %s is missing; its gamedll_linux library is there\n", shown.c_str());
        return true;
    }
    Trace(core, "The mod's own library %s cannot be loaded (%s), nothing changed\n", shown.c_str(), rule.c_str());
    outcome.problem =
        verdict == libraries::Verdict::Missing ? ChangeProblem::OwnLibraryMissing : ChangeProblem::OwnLibraryUnusable;
    if (base.empty()) outcome.detail = folder + ": " + Tr("the catalogue names no game library for this mod");
    else if (verdict == libraries::Verdict::Bot)
        outcome.detail = shown + ": " + Tr("the catalogue names the bot's own");
    else if (verdict == libraries::Verdict::Missing) outcome.detail = shown;
    else outcome.detail = shown + ": " + told;
    // The same library named twice is told once.
    if (kept.state == KeptLines::State::Missing && kept.missing != shown)
        outcome.detail += "; " + Fill(Tr("%s, which liblist.gam named before the bot, cannot be loaded either: %s"),
                                      {kept.missing, kept.ruleTold});
    return false;
}

bool RestoreLibList(const InstallerCore& core, int slot, const char* libList, const char* stored, const KeptLines& kept,
                    bool& allBack, ChangeOutcome& outcome) {
    std::unique_ptr<liblist::KeptLinesReader> reader;
    if (kept.state == KeptLines::State::GiveBack && !(reader = liblist::KeptLinesReader::Open(stored))) {
        outcome = change::FailureOutcome(stored);
        return false;
    }
    // Only lines that reach the bot's library are changed: each gets the
    // kept line of its place, read as it is needed, or the catalogue's line,
    // with the line end it had. Any other line is the player's or another
    // installer's, and stays; a kept line whose place no longer names the
    // bot is not back, unless that place holds it already.
    libraries::ModLibraries judge(core.m_strModFolder[slot]);
    const std::string ownLine = liblist::RemoveLine(core.m_strModDll[slot]);
    bool moreLines = false;
    std::string path;  // each line's, in one room
    size_t changed = 0;
    allBack = true;
    liblist::GamedllLine back(ownLine);
    liblist::LibListRewrite rewrite;
    const liblist::RewriteResult result =
        rewrite.Prepare(libList, [&](size_t, const liblist::GamedllLine& line, std::string& bytes) {
            int number = 0;
            if (reader && !reader->Next(back, number)) {
                moreLines = !reader->Failed();
                return false;
            }
            line.PathInto(path);
            if (judge.Judge(path) != libraries::Verdict::Bot) {
                allBack = allBack && back.Text() == line.Text();
                line.TextWith(line.LineEnd(), bytes);
                return true;
            }
            ++changed;
            back.TextWith(line.LineEnd(), bytes);
            return true;
        });
    // No liblist.gam at all names nothing: there is nothing to give back to.
    if (result == liblist::RewriteResult::NotOpened && !platform::PathExists(libList)) {
        allBack = false;
        return true;
    }
    if (result != liblist::RewriteResult::Written && !moreLines) {
        Trace(core, "Kept veldrin.dll: %s still names it\n", libList);
        outcome = change::FailureOutcome(reader && reader->Failed() ? stored : libList);
        return false;
    }
    if (kept.state != KeptLines::State::None && (moreLines || rewrite.Replaced() != kept.count)) {
        Trace(core, "%s does not fit %s, nothing changed\n", stored, libList);
        outcome = Unfit(stored, UnfitWhy(kept.count, rewrite.Replaced(), moreLines));
        return false;
    }
    for (size_t i = 0; i < changed; ++i) Trace(core, "Found gamedll line...\n");
    // A file with no line naming the bot stays as it is.
    if (changed == 0) return true;
    if (!rewrite.Commit()) {
        outcome = change::FailureOutcome(libList);
        Trace(core, "Kept veldrin.dll: %s still names it\n", libList);
        return false;
    }
    Trace(core, "Written new liblist.gam\n");
    return true;
}

ChangeOutcome RemoveFromSlot(InstallerCore& core, int slot) {
    const std::string& folder = core.m_strModFolder[slot];
    Trace(core, "\nPerforming Remove on %s\n", core.m_strModName[slot].c_str());
    Trace(core, "-------------------------\n");

    layout::PathBuffer libList, library, stored;
    if (!change::ComposeModPaths(core, folder, libList, library) ||
        !layout::ComposePath(stored, layout::kStoredLines, g_szGameDir, folder.c_str()))
        return change::TooLongOutcome(folder);

    // What goes back in place of the bot's line: the lines Install kept,
    // when every library they name is there; else the catalogue's library.
    // Either must name a library the mod has, or the game would no longer
    // start. Kept lines that do not fit liblist.gam change nothing: they
    // are the player's, and only the player can tell what they meant.
    ChangeOutcome outcome;
    const bool linuxServes = libraries::LinuxLibraryPresent(folder, libList);
    const KeptLines kept = ReadKeptLines(stored, folder, linuxServes, outcome);
    if (!outcome.Done()) return outcome;
    if (kept.state == KeptLines::State::Unfit) {
        Trace(core, "%s does not fit %s, nothing changed\n", stored, libList);
        return Unfit(stored, kept.why);
    }
    if (kept.state == KeptLines::State::Missing)
        Trace(core, "%s names %s: %s\n", stored, kept.missing.c_str(), kept.rule.c_str());
    if (kept.state != KeptLines::State::GiveBack && !CheckOwnLibrary(core, slot, kept, linuxServes, outcome))
        return outcome;
    bool allBack = false;
    if (!RestoreLibList(core, slot, libList, stored, kept, allBack, outcome)) return outcome;

    // What Install kept has served once every line of it is in place again;
    // until then it stays, whatever else happens.
    if (kept.state == KeptLines::State::GiveBack && allBack && !platform::RemoveFile(stored))
        Trace(core, "Could not delete %s: %s\n", stored, platform::LastFailure().reason.c_str());
    if (kept.state == KeptLines::State::Missing) outcome.keptLinesNotGivenBack = kept.missing + ": " + kept.ruleTold;
    if (kept.state == KeptLines::State::GiveBack && !allBack) outcome.keptLinesStay = layout::ForPlayer(stored);

    // The library may go only now that nothing names it: the new liblist.gam
    // is in place, or there is no liblist.gam at all. The mod is back on its
    // own library whatever the delete does: a library the game still holds
    // open only stays behind, named by nothing, and the player is told.
    if (!platform::RemoveFile(library)) {
        Trace(core, "Could not delete %s: %s\n", library, platform::LastFailure().reason.c_str());
        outcome.libraryLeft = layout::ForPlayer(library) + ": " + PlayerReason(platform::LastFailure());
    }
    Trace(core, "Deleted veldrin.dll\n");
    return outcome;
}

}  // namespace

ChangeOutcome InstallerCore::RemoveMod(int32_t itemData, ModRowSink& rows) {
    return change::Locked(*this, itemData, false, rows, [this](int slot) { return RemoveFromSlot(*this, slot); });
}
