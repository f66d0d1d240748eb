// The libraries a mod's gamedll lines name, judged as the game judges them:
// the name by its spelling, which must stay inside the game folder (another
// mod's library is allowed, as the game allows it), and the file by what the
// game would open, every link followed.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"

namespace libraries {

enum class Verdict {
    Present,     // a regular .dll file the game would open, other than the bot's library
    Bot,         // the bot's library: a veldrin.dll, or dlls\veldrin.dll reached through any spelling or link
    Missing,     // nothing at that name
    NotRegular,  // something that is no regular file: a folder, a pipe, a device
    NotLibrary,  // a name that does not end in .dll
    Unreadable,  // a regular file the installer cannot read
    Outside      // the name leaves the game folder: ".." above it, a drive or a root (or a path too long)
};

// Judges the libraries of the mod in folder, a folder of the game directory.
// Each distinct path is looked at once while it is kept (a few dozen at a
// time), so a file of millions of gamedll lines costs a look per library.
class ModLibraries {
public:
    explicit ModLibraries(const std::string& folder);

    // The verdict on path, relative to the mod's folder as a gamedll line
    // gives it (either separator, "." and ".." allowed while they stay inside
    // the game folder). shown, when given, receives the path for the player;
    // why, the rule it failed in words ("there is no such file", ...), empty
    // for Present; told, the same in the player's language.
    Verdict Judge(const std::string& path, std::string* shown = nullptr, std::string* why = nullptr,
                  std::string* told = nullptr);

private:
    struct Judged {
        Verdict verdict;
        std::string shown, why, told;
    };
    const Judged& Find(const std::string& path);
    Judged JudgeNow(const std::string& path);

    std::string folder_;
    bool botKnown_ = false;
    platform::FileInfo bot_;
    std::unordered_map<std::string, Judged> kept_;
};

// True when the liblist.gam at libList, of the mod in folder, has a
// gamedll_linux line whose library a Linux server would load: a readable
// regular file inside the game folder, every link followed. False when
// there is no such line, the file is not there, or liblist.gam cannot be
// read.
[[nodiscard]] bool LinuxLibraryPresent(const std::string& folder, const char* libList);

// The words of a verdict's rule for the player: "there is no such file",
// "it lies outside the game folder", ...; empty for Present.
[[nodiscard]] const char* VerdictWords(Verdict verdict);

}  // namespace libraries
