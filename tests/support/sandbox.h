// A real temporary folder for a test or a fuzz run, removed afterwards, in
// which the machine's own home and Wine prefix are out of reach.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test {

class Sandbox {
public:
    // Makes the folder, prefix and a few random characters, inside parent (the
    // system's temporary folder when parent is empty), and points HOME at it
    // and WINEPREFIX at its "wine" folder (not made), so that nothing of the
    // machine's own is read. Root() is empty when the folder could not be made;
    // HOME and WINEPREFIX are then left as they were.
    explicit Sandbox(const std::string& prefix = "veldrin-test-", const std::filesystem::path& parent = {});

    // Removes the folder with everything in it, read-only files and folders
    // too, and gives HOME and WINEPREFIX back the values they had.
    ~Sandbox();

    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& Root() const { return root_; }

private:
    struct Saved {
        const char* name;
        bool set;
        std::string value;
    };

    std::filesystem::path root_;
    std::vector<Saved> saved_;
};

}  // namespace test
