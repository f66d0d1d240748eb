// The main of a fuzz target built without libFuzzer: feeds the target each
// file named on the command line, and each file inside each folder named
// there (in name order), once, as libFuzzer replays a corpus. A property that
// does not hold ends the run through FUZZ_CHECK's abort, after the input's
// name is printed. Returns 0 when every input was replayed; 1 when there was
// none, or a named file could not be read.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        // Absolute: a target may change the working directory.
        std::error_code ec;
        const fs::path given = fs::absolute(argv[i], ec);
        if (!fs::is_directory(given, ec)) {
            inputs.push_back(given);
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(given, ec))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "%s: no input to replay (name files or folders of them)\n", argv[0]);
        return 1;
    }
    for (const fs::path& input : inputs) {
        std::error_code ec;
        if (!fs::is_regular_file(input, ec)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.string().c_str());
            return 1;
        }
        const std::string bytes = test::ReadBytes(input);
        // Printed first: a property that fails ends the process.
        std::printf("%s, %zu bytes\n", input.filename().string().c_str(), bytes.size());
        std::fflush(stdout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed, each property held\n", inputs.size());
    return 0;
}
