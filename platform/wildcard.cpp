#include "platform/wildcard.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform {

namespace {
unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }
}  // namespace

bool WildcardMatch(const char* pattern, const char* name) {
    // Iterative matcher with one backtrack point: linear in practice and never
    // exponential, whatever the number of stars.
    const char* p = pattern;
    const char* n = name;
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*n) {
        if (*p == '*') {
            while (*p == '*') ++p;
            if (!*p) return true;
            starP = p;
            starN = n;
        } else if (*p == '?' || (*p && Fold(*p) == Fold(*n))) {
            ++p;
            ++n;
        } else if (starP) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

int CompareIgnoringCase(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && Fold(*x) == Fold(*y)) {
        ++x;
        ++y;
    }
    return static_cast<int>(Fold(*x)) - static_cast<int>(Fold(*y));
}

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return folded;
}

void SortInSearchOrder(std::vector<std::string>& names) {
    // Each name folded once, not at every comparison.
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) keyed.emplace_back(Folded(name), std::move(name));
    std::sort(keyed.begin(), keyed.end());
    for (size_t k = 0; k < keyed.size(); ++k) names[k] = std::move(keyed[k].second);
}

}  // namespace platform
