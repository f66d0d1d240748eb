// Fuzzes the file of kept gamedll lines, liblist.gam.veldrin, which Install
// writes and a person may edit before Remove reads it back.
//
// Properties: the reader yields every line that is not blank (nothing but
// spaces and tabs), whole whatever its length, with its number in the file,
// up to the text's end at a Ctrl-Z, each without its line end (a CR before
// its LF dropped, a lone CR kept) and handed on with CR LF; the lines it
// yields, written anew, read back the same.
#include <string>
#include <vector>

#include "core/liblist.h"
#include "fuzz_support.h"

namespace {

struct Expected {
    std::string text;
    int number;
};

// The lines, written out plainly from the file's description.
std::vector<Expected> ExpectedLines(const std::string& bytes) {
    const std::string text = bytes.substr(0, std::min(bytes.find('\x1a'), bytes.size()));
    std::vector<Expected> lines;
    int number = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (end != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
        ++number;
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back({line, number});
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::vector<Expected> Read(const fuzz::fs::path& path) {
    std::vector<Expected> lines;
    auto reader = liblist::KeptLinesReader::Open(path.c_str());
    FUZZ_CHECK(reader != nullptr);
    liblist::GamedllLine line;
    int number = 0;
    while (reader->Next(line, number)) {
        FUZZ_CHECK(line.LineEnd() == "\r\n");
        lines.push_back({line.Text(), number});
    }
    FUZZ_CHECK(!reader->Failed());
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fuzz::fs::path path = fuzz::Scratch() / "cstrike" / "liblist.gam.veldrin";
    fuzz::WriteBytes(path, bytes);

    const std::vector<Expected> expected = ExpectedLines(bytes);
    const std::vector<Expected> read = Read(path);
    FUZZ_CHECK(read.size() == expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        FUZZ_CHECK(read[i].text == expected[i].text);
        FUZZ_CHECK(read[i].number == expected[i].number);
    }

    // Written anew, as Install writes them, they read back the same, with
    // no blank line between them and numbered from 1.
    auto writer = liblist::KeptLinesWriter::Begin(path.c_str());
    FUZZ_CHECK(writer != nullptr);
    for (const Expected& line : read) FUZZ_CHECK(writer->Add(line.text));
    FUZZ_CHECK(writer->Commit(nullptr));
    const std::vector<Expected> again = Read(path);
    FUZZ_CHECK(again.size() == read.size());
    for (size_t i = 0; i < again.size(); ++i) {
        FUZZ_CHECK(again[i].text == read[i].text);
        FUZZ_CHECK(again[i].number == static_cast<int>(i) + 1);
    }
    return 0;
}
