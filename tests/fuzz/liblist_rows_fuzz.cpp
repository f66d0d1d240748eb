// Fuzzes the row reader the status scan reads a liblist.gam with, and the
// recognition of the library a gamedll row names.
//
// Properties: the rows are exactly the pieces an fgets loop with a limit of 80
// returns from the text-mode content, each with the file's own bytes it came
// from; the scan's fast path, which passes over rows that cannot name a
// library, yields exactly those rows whose first character after any spaces
// is the marker's first letter, with the same bytes; a name always lies
// inside its row, right after the row's first backslash, and matches the
// recognition rules (leading spaces skipped, case-sensitive marker, name up
// to the quote or the row's end with its newline excluded).
#include <string>

#include "core/liblist.h"
#include "fuzz_support.h"
#include "platform/file_system.h"

namespace {

// The recognition rules, written out plainly from the file's description.
bool ExpectedName(const std::string& row, std::string& name) {
    size_t start = row.find_first_not_of(' ');
    if (start == std::string::npos || row.compare(start, 8, "gamedll ") != 0) return false;
    size_t backslash = row.find('\\', start);
    if (backslash == std::string::npos) return false;
    size_t end = row.find('"', backslash + 1);
    if (end == std::string::npos) {
        end = row.find('\n', backslash + 1);
        if (end == std::string::npos) end = row.size();
    }
    name = row.substr(backslash + 1, end - backslash - 1);
    return true;
}

void CheckName(const char* row) {
    std::string name = "<untouched>";
    bool named = liblist::LibraryNameOfRow(row, name);
    std::string expected;
    bool expectedNamed = ExpectedName(row, expected);
    FUZZ_CHECK(named == expectedNamed);
    FUZZ_CHECK(!named || liblist::IsGamedllRow(row));
    if (!named) {
        FUZZ_CHECK(name == "<untouched>");
        return;
    }
    FUZZ_CHECK(name == expected);
    // The name never reaches past its row.
    const char* backslash = std::strchr(row, '\\');
    FUZZ_CHECK(backslash != nullptr);
    FUZZ_CHECK(name.size() <= std::strlen(backslash + 1));
    FUZZ_CHECK(std::strncmp(backslash + 1, name.data(), name.size()) == 0);
    FUZZ_CHECK(name.find('"') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The input as one row buffer, as the status check hands it over.
    char row[liblist::kRowSize] = {};
    std::memcpy(row, data, size < liblist::kRowSize - 1 ? size : liblist::kRowSize - 1);
    CheckName(row);

    // The input as a liblist.gam on disk, read row by row, then as the scan
    // reads it: only the rows that may name a library.
    const fuzz::fs::path path = fuzz::Scratch() / "cstrike" / "liblist.gam";
    fuzz::WriteBytes(path, data, size);
    const std::vector<std::string> pieces = fuzz::FgetsPieces(fuzz::TextModeRead(bytes), liblist::kRowSize);
    auto file = platform::TextFile::Open(path.c_str(), "r");
    FUZZ_CHECK(file != nullptr);
    std::vector<std::string> raws, starting;
    platform::RawRow raw;
    char text[liblist::kRowSize];
    while (file->Rows().Next(liblist::kRowSize, raw)) {
        FUZZ_CHECK(raws.size() < pieces.size());
        raw.Text(text);
        FUZZ_CHECK(fuzz::AsCString(pieces[raws.size()]) == text);
        CheckName(text);
        raws.emplace_back(raw.raw, raw.rawLength);
        const size_t first = raws.back().find_first_not_of(' ');
        if (first != std::string::npos && raws.back()[first] == liblist::kMarker[0]) starting.push_back(raws.back());
    }
    FUZZ_CHECK(raws.size() == pieces.size());
    std::string joined;
    for (const std::string& r : raws) joined += r;
    FUZZ_CHECK(joined == bytes.substr(0, std::min(bytes.find('\x1a'), bytes.size())));

    file = platform::TextFile::Open(path.c_str(), "r");
    FUZZ_CHECK(file != nullptr);
    size_t found = 0;
    while (file->Rows().NextStartingWith(liblist::kRowSize, liblist::kMarker[0], raw)) {
        FUZZ_CHECK(found < starting.size());
        FUZZ_CHECK(std::string(raw.raw, raw.rawLength) == starting[found]);
        ++found;
    }
    FUZZ_CHECK(found == starting.size());
    return 0;
}
