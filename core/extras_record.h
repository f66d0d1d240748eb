// What Install put in a mod's folder, so that an upgrade can tell the
// extras it may replace from the player's own: a tuned Veldrin.cfg, a
// waypoint made or edited in the game. Kept in the mod's folder as
// Veldrin.installed, plain text with one line per file, "size time path",
// the path relative to the mod's folder; a line that does not read so is
// ignored, so that an edited or damaged record only keeps more files.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/installer_core.h"
#include "platform/file_system.h"

namespace extras {

class InstalledFiles {
public:
    // Reads the record of the mod in folder. A record that is missing or
    // cannot be read knows no file: every extra already there is kept.
    explicit InstalledFiles(const std::string& folder);

    // True when the file at the mod's relative path, as it stands now
    // (existing), may be replaced by a copy of source: Install put it there
    // and nobody changed it since, or it is the very file the package holds
    // (same size and last write).
    [[nodiscard]] bool MayReplace(const std::string& relative, const platform::FileInfo& source,
                                  const platform::FileInfo& existing) const;

    // Notes that Install put copy at the mod's relative path.
    void Note(const std::string& relative, const platform::FileInfo& copy);

    // Writes the record when a file was noted, in one step, with the owner,
    // group and permissions of the file model. Returns false, the old record
    // as it was, when it cannot be written.
    [[nodiscard]] bool Save(const char* model);

    // The record's path, composed after the game directory; empty when too long.
    [[nodiscard]] const char* Path() const { return path_; }

private:
    struct Entry {
        uint64_t size = 0;
        int64_t writeTime = 0;
        std::string name;  // as the path was spelled
    };
    static std::string Key(const std::string& relative);

    char path_[kPathBufferSize] = {};
    std::map<std::string, Entry> files_;
    bool changed_ = false;
};

}  // namespace extras
