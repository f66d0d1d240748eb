// The libraries a mod's gamedll lines name, judged by the file each reaches:
// whether it is the bot's own library, a library of the mod that is there,
// or neither.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"

namespace layout {

enum class LibraryVerdict {
    Present,  // a regular .dll file inside the mod's folder, other than the bot's library
    Bot,      // the bot's library, dlls\veldrin.dll, whatever the spelling or link that reaches it
    Missing   // nothing there, no regular file, no .dll, or outside the mod's folder (or a path too long)
};

// Judges the libraries of the mod in folder, a folder of the game directory.
// Each distinct path is looked at once while it is kept (a few dozen at a
// time), so a file of millions of gamedll lines costs a look per library.
class ModLibraries {
public:
    explicit ModLibraries(const std::string& folder);

    // The verdict on path, relative to the mod's folder as a gamedll line
    // gives it (either separator, "." and ".." allowed while they stay inside
    // the folder). shown, when given, receives the path for the player.
    LibraryVerdict Judge(const std::string& path, std::string* shown = nullptr);

private:
    struct Judged {
        LibraryVerdict verdict;
        std::string shown;
    };
    Judged JudgeNow(const std::string& path);

    std::string folder_;
    bool botKnown_ = false;
    platform::FileInfo bot_;
    std::unordered_map<std::string, Judged> kept_;
};

}  // namespace layout
