// Fuzzes the reading of a liblist.gam into rows and the recognition of the
// library a gamedll row names.
//
// Properties: the rows are exactly the pieces an fgets loop with a limit of 80
// returns from the text-mode content; a name always lies inside its row,
// right after the row's first backslash, and matches the recognition rules
// (leading spaces skipped, case-sensitive marker, name up to the quote or the
// row's end with its newline excluded).
#include <string>

#include "core/liblist.h"
#include "fuzz_support.h"

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

    // The input as a liblist.gam on disk.
    const fuzz::fs::path path = fuzz::Scratch() / "cstrike" / "liblist.gam";
    fuzz::WriteBytes(path, data, size);
    liblist::LibListBuffer rows;
    FUZZ_CHECK(rows.Read(path.c_str()));
    const std::vector<std::string> pieces = fuzz::FgetsPieces(fuzz::TextModeRead(bytes), liblist::kRowSize);
    FUZZ_CHECK(rows.RowCount() == pieces.size());
    for (size_t i = 0; i < rows.RowCount(); ++i) {
        const char* r = rows.Row(i);
        FUZZ_CHECK(std::strlen(r) < static_cast<size_t>(liblist::kRowSize));
        FUZZ_CHECK(fuzz::AsCString(pieces[i]) == r);
        CheckName(r);
    }
    return 0;
}
