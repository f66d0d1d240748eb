// Fuzzes the wildcard matcher and the file search built on it.
//
// The input holds a pattern and a name, split at the first NUL. Properties:
// the matcher agrees with a plain dynamic-programming matcher; matching
// ignores ASCII case in both pattern and name; the comparison used for the
// search order is a total order; a search over a real folder returns exactly
// the names that match, each once, in that order.
#include <algorithm>
#include <string>
#include <vector>

#include "core/paths.h"
#include "fuzz_support.h"
#include "platform/file_system.h"
#include "platform/wildcard.h"

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// The order a search returns names in, as the file layer promises it: their
// letters compared ignoring ASCII case, then their plain bytes.
bool ReferenceOrder(const std::string& a, const std::string& b) {
    auto folded = [](unsigned char x, unsigned char y) { return Fold(x) < Fold(y); };
    const auto* x = reinterpret_cast<const unsigned char*>(a.data());
    const auto* y = reinterpret_cast<const unsigned char*>(b.data());
    if (std::lexicographical_compare(x, x + a.size(), y, y + b.size(), folded)) return true;
    if (std::lexicographical_compare(y, y + b.size(), x, x + a.size(), folded)) return false;
    return a < b;
}

// match[i][j]: pattern[i..] matches name[j..].
bool ReferenceMatch(const std::string& p, const std::string& n) {
    std::vector<std::vector<char>> m(p.size() + 1, std::vector<char>(n.size() + 1, 0));
    m[p.size()][n.size()] = 1;
    for (size_t i = p.size(); i-- > 0;) {
        for (size_t j = n.size() + 1; j-- > 0;) {
            if (p[i] == '*') {
                m[i][j] = m[i + 1][j] || (j < n.size() && m[i][j + 1]);
            } else if (j < n.size() && (p[i] == '?' || Fold(p[i]) == Fold(n[j]))) {
                m[i][j] = m[i + 1][j + 1];
            }
        }
    }
    return m[0][0];
}

std::string Flip(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

const std::vector<std::string>& FolderNames() {
    static const std::vector<std::string> names = {
        "de_dust.vwp", "DE_DUST2.VWP", "cs_office.Vwp", "a.vwp",     "A.vwpx", "readme.txt",
        "vwp",         ".vwp",         "x.vwp.bak",     "Ärger.vwp", "_",      "aaaaaaaaaa"};
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::fs::path folder = [] {
        fuzz::fs::path f = fuzz::Scratch() / "Veldrin" / "cstrike";
        for (const std::string& name : FolderNames()) fuzz::WriteBytes(f / name, "w");
        return f;
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find('\0');
    const std::string pattern = input.substr(0, cut);
    const std::string name = cut == std::string::npos ? std::string() : std::string(input.c_str() + cut + 1);
    if (pattern.size() > 300 || name.size() > 300) return 0;

    const bool match = platform::WildcardMatch(pattern.c_str(), name.c_str());
    FUZZ_CHECK(match == ReferenceMatch(pattern, name));
    FUZZ_CHECK(match == platform::WildcardMatch(Flip(pattern).c_str(), name.c_str()));
    FUZZ_CHECK(match == platform::WildcardMatch(pattern.c_str(), Flip(name).c_str()));

    // The case-blind comparison is antisymmetric; the search order puts the
    // three strings at hand as the reference order does.
    const std::string third = Flip(name) + pattern.substr(0, 3);
    std::vector<std::string> three = {pattern, name, third};
    for (const auto& a : three)
        for (const auto& b : three) {
            int c = platform::CompareIgnoringCase(a.c_str(), b.c_str());
            int d = platform::CompareIgnoringCase(b.c_str(), a.c_str());
            FUZZ_CHECK((c < 0) == (d > 0) && (c == 0) == (d == 0));
        }
    std::vector<std::string> ordered = three;
    platform::SortInSearchOrder(ordered);
    std::sort(three.begin(), three.end(), ReferenceOrder);
    FUZZ_CHECK(ordered == three);

    // A search over the real folder, the way Install enumerates waypoints.
    if (pattern.empty() || pattern == "." || pattern == ".." || pattern.find_first_of("\\/") != std::string::npos)
        return 0;
    std::vector<std::string> expected;
    for (const std::string& n : FolderNames())
        if (ReferenceMatch(pattern, n)) expected.push_back(n);
    const bool wild = pattern.find_first_of("*?") != std::string::npos;
    if (!wild) {
        // A plain name is looked up, not listed: it finds the one file whose
        // name equals it ignoring case.
        expected.clear();
        for (const std::string& n : FolderNames())
            if (platform::CompareIgnoringCase(n.c_str(), pattern.c_str()) == 0) expected.push_back(n);
        if (expected.size() > 1) expected.resize(1);
    }
    std::sort(expected.begin(), expected.end(), ReferenceOrder);
    std::vector<std::string> found;
    const std::string full = folder.string() + "\\" + pattern;
    std::string n;
    platform::FindHandle* search = nullptr;
    while ((search = layout::NextFile(search, n, full.c_str())) != nullptr) {
        FUZZ_CHECK(!n.empty());
        found.push_back(n);
        FUZZ_CHECK(found.size() <= FolderNames().size());
    }
    FUZZ_CHECK(n.empty());
    FUZZ_CHECK(found == expected);
    return 0;
}
