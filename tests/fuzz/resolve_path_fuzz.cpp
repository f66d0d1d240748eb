// Fuzzes the resolver that turns the Windows paths the core composes into
// host paths on a case-sensitive file system.
//
// The input is a path under the game directory, or under a drive letter when
// its first byte says so, resolved against a real folder tree with names in
// mixed case. Properties: without a ".." component the resolved path never
// leaves the folder it started from; it has one component per input
// component, each equal to it ignoring ASCII case; an existing name is used as
// spelled on disk, and an exact spelling wins over other casings; kept
// folder listings change no answer. A folder line that the catalogue accepts
// never leads out of the game directory.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/paths.h"
#include "fuzz_support.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace {

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && (path[i] == '\\' || path[i] == '/')) ++i;
        size_t start = i;
        while (i < path.size() && path[i] != '\\' && path[i] != '/') ++i;
        if (i > start) parts.push_back(path.substr(start, i - start));
    }
    return parts;
}

bool Exists(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// Checks host against the components of the Windows path below base.
void CheckBelow(const std::string& base, const std::string& host, const std::vector<std::string>& parts) {
    if (parts.empty()) {
        FUZZ_CHECK(host == base);
        return;
    }
    FUZZ_CHECK(host.compare(0, base.size() + 1, base + "/") == 0);
    std::vector<std::string> got = Components(host.substr(base.size()));
    FUZZ_CHECK(got.size() == parts.size());
    std::string dir = base;
    bool exists = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        FUZZ_CHECK(platform::CompareIgnoringCase(got[i].c_str(), parts[i].c_str()) == 0);
        // An existing exact spelling is always kept.
        if (exists && Exists(dir + "/" + parts[i])) FUZZ_CHECK(got[i] == parts[i]);
        dir += "/" + got[i];
        exists = exists && Exists(dir);
    }
}

void MakeTree(const fuzz::fs::path& game) {
    for (const char* file : {"Veldrin/veldrinins.ini", "Veldrin/veldrin.dll", "Veldrin/CStrike/de_dust.VWP",
                             "Veldrin/CStrike/cs_office.vwp", "cstrike/LibList.gam", "cstrike/DLLs/mp.dll",
                             "cstrike/DLLs/Veldrin.DLL", "cstrike/maps/de_dust.bsp", "CStrike/liblist.gam",
                             "valve/liblist.gam", "VALVE/dlls/hl.dll", "ä/ÄÖ.txt", "outside"}) {
        fuzz::WriteBytes(game / file, "x");
    }
    fuzz::WriteBytes(game.parent_path() / "outside" / "secret.txt", "x");
    fuzz::fs::create_directories(game.parent_path() / "wine" / "dosdevices");
    std::error_code ec;
    fuzz::fs::create_directory_symlink(game, game.parent_path() / "wine" / "dosdevices" / "c:", ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::fs::path game = [] {
        fuzz::fs::path g = fuzz::Scratch() / "Half-Life";
        MakeTree(g);
        return g;
    }();
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    rest = rest.c_str();  // a C path ends at its first NUL
    const std::vector<std::string> parts = Components(rest);
    bool climbs = false;
    for (const std::string& part : parts) climbs = climbs || part == "..";

    std::string windows;
    std::string base;
    if (mode & 1) {
        // A drive path, reached through the Wine prefix.
        char drive = static_cast<char>((mode & 2) ? 'C' : 'c');
        windows = std::string(1, drive) + ":" + (rest.empty() || rest[0] == '\\' ? "" : "\\") + rest;
        base = (fuzz::Scratch() / "wine" / "dosdevices" / "c:").string();
        rest = windows.substr(2);
    } else {
        windows = game.string() + "\\" + rest;
        base = game.string();
    }
    const std::string host = platform::ResolvePath(windows.c_str());
    FUZZ_CHECK(host.find('\\') == std::string::npos);
    FUZZ_CHECK(host == platform::ResolvePath(windows.c_str()));
    {
        // Kept folder listings give the same answers while nothing changes.
        platform::ListingScope keep;
        FUZZ_CHECK(host == platform::ResolvePath(windows.c_str()));
        FUZZ_CHECK(host == platform::ResolvePath(windows.c_str()));
    }
    if (!climbs) CheckBelow(base, host, Components(rest));

    // The input as a catalogue folder line.
    if (layout::IsPlainName(rest)) {
        layout::PathBuffer path;
        if (layout::ComposePath(path, layout::kInstalledLibrary, game.c_str(), rest.c_str())) {
            std::string resolved = platform::ResolvePath(path);
            FUZZ_CHECK(resolved.compare(0, game.string().size() + 1, game.string() + "/") == 0);
            FUZZ_CHECK(Components(resolved.substr(game.string().size())).size() == 3);
        }
    }
    return 0;
}
