// Fuzzes the rewrite of a liblist.gam, with and without a failing file
// operation.
//
// The first input byte picks the replacement row and the file operation to
// make fail, the second which call of it fails; the rest is the file.
// Properties: a written file holds the replacement, with the line end of the
// line it replaces, in place of exactly the lines that begin, at a row, with
// the marker (after leading spaces), each with every further row of its
// line, and every other byte as the file had it (line ends, NULs, lone CRs,
// a Ctrl-Z and all after it); a failed rewrite leaves the original byte for
// byte; no temporary file is ever left behind.
#include <string>

#include "core/liblist.h"
#include "fuzz_support.h"
#include "platform/file_system.h"
#include "support/game_folder.h"

namespace {

const std::string kReplacements[] = {
    liblist::kInstallLine, liblist::RemoveLine("mp"), liblist::RemoveLine(""),
    liblist::RemoveLine(std::string(70, 'b')),  // longer than one row
};

const platform::FileOp kFaults[] = {platform::FileOp::OpenRead, platform::FileOp::Read,  platform::FileOp::OpenWrite,
                                    platform::FileOp::Write,    platform::FileOp::Close, platform::FileOp::Rename,
                                    platform::FileOp::Flush};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string& replacement = kReplacements[data[0] & 3];
    const bool inject = (data[0] & 4) != 0;
    const platform::FileOp failing = kFaults[(data[0] >> 3) % 7];
    const int failingCall = data[1] % 8;
    const std::string original(reinterpret_cast<const char*>(data + 2), size - 2);

    const fuzz::fs::path dir = fuzz::Scratch() / "cstrike";
    const fuzz::fs::path path = dir / "liblist.gam";
    fuzz::WriteBytes(path, original);

    int calls = 0;
    if (inject) {
        platform::SetFaultHook(
            [&](platform::FileOp op, const std::string&) { return op == failing && calls++ == failingCall; });
    }
    int found = 0;
    int written = 0;
    liblist::RewriteResult result = test::RewriteEveryGamedllLine(path.c_str(), replacement, &found, &written);
    platform::SetFaultHook({});

    // Nothing but liblist.gam is left in the folder.
    size_t entries = 0;
    for (const auto& entry : fuzz::fs::directory_iterator(dir)) {
        (void)entry;
        ++entries;
    }
    FUZZ_CHECK(entries == 1);

    const std::string after = fuzz::ReadBytes(path);
    if (result != liblist::RewriteResult::Written) {
        FUZZ_CHECK(inject);
        FUZZ_CHECK(after == original);
        FUZZ_CHECK(written == 0);
        return 0;
    }

    std::string expected, rest;
    int replaced = 0;
    bool inLine = false;  // the pieces belong to a line being replaced
    for (const std::string& piece : fuzz::RawFgetsPieces(original, liblist::kRowSize, rest)) {
        // A piece ends its line with a newline, or when the text ends before
        // the piece is full.
        const bool endsLine = piece.back() == '\n' || fuzz::TextModeRead(piece).size() < liblist::kRowSize - 1;
        const bool crlf = piece.size() >= 2 && piece.compare(piece.size() - 2, 2, "\r\n") == 0;
        const std::string lineEnd = crlf ? "\r\n" : piece.back() == '\n' ? "\n" : "";
        if (!inLine) {
            // A NUL ends a row's text for the marker, as with fgets.
            const std::string row = fuzz::AsCString(fuzz::TextModeRead(piece));
            size_t start = row.find_first_not_of(' ');
            if (start == std::string::npos || row.compare(start, 8, "gamedll ") != 0) {
                expected += piece;
                continue;
            }
            ++replaced;
        }
        inLine = !endsLine;
        if (endsLine) expected += replacement + lineEnd;
    }
    if (inLine) expected += replacement;
    expected += rest;
    FUZZ_CHECK(after == expected);
    FUZZ_CHECK(found == replaced);
    FUZZ_CHECK(written == 1);
    return 0;
}
