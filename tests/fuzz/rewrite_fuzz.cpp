// Fuzzes the rewrite of a liblist.gam, with and without a failing file
// operation.
//
// The first input byte picks the replacement row and the file operation to
// make fail, the second which call of it fails; the rest is the file.
// Properties: a written file holds the replacement in place of exactly the
// rows that begin with the marker (after leading spaces) and every other byte
// as the file had it (NULs, lone CRs, a Ctrl-Z and all after it), a bare LF
// line end written as CR LF; a failed rewrite leaves the original byte for
// byte; no temporary file is ever left behind.
#include <string>

#include "core/liblist.h"
#include "fuzz_support.h"
#include "platform/file_system.h"

namespace {

const std::string kReplacements[] = {
    liblist::kInstallRow, liblist::RemoveRow("mp"), liblist::RemoveRow(""),
    liblist::RemoveRow(std::string(70, 'b')),  // longer than one row
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
    liblist::RewriteResult result = liblist::RewriteLibList(
        path.c_str(), replacement, [&] { ++found; }, [&] { ++written; });
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
    for (const std::string& piece : fuzz::RawFgetsPieces(original, liblist::kRowSize, rest)) {
        // A NUL ends a row's text for the marker, as with fgets.
        const std::string row = fuzz::AsCString(fuzz::TextModeRead(piece));
        size_t start = row.find_first_not_of(' ');
        if (start != std::string::npos && row.compare(start, 8, "gamedll ") == 0) {
            expected += test::Crlf(replacement);
            ++replaced;
        } else if (piece.back() == '\n' && (piece.size() < 2 || piece[piece.size() - 2] != '\r')) {
            expected += piece.substr(0, piece.size() - 1) + "\r\n";
        } else {
            expected += piece;
        }
    }
    expected += rest;
    FUZZ_CHECK(after == expected);
    FUZZ_CHECK(found == replaced);
    FUZZ_CHECK(written == 1);
    return 0;
}
