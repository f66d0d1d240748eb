#include "support/sandbox.h"

#include <cstdlib>

#include "support/host.h"

namespace test {

namespace fs = std::filesystem;

Sandbox::Sandbox(const std::string& prefix, const fs::path& parent) {
    root_ = MakeTempFolder(prefix, parent);
    if (root_.empty()) return;
    for (const char* name : {"HOME", "WINEPREFIX"}) {
        const char* value = std::getenv(name);
        saved_.push_back({name, value != nullptr, value ? value : ""});
    }
    SetEnv("HOME", root_.string().c_str());
    SetEnv("WINEPREFIX", (root_ / "wine").string().c_str());
}

Sandbox::~Sandbox() {
    for (const Saved& variable : saved_) {
        if (variable.set) SetEnv(variable.name, variable.value.c_str());
        else UnsetEnv(variable.name);
    }
    if (root_.empty()) return;
    // Windows refuses to delete a read-only file, and a folder without write
    // permission keeps its files on POSIX: both get their owner's rights back
    // first. Links are left as they are: their targets may lie outside.
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::error_code ignored;
        if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(root_, ec);
}

}  // namespace test
