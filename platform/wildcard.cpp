#include "platform/wildcard.h"

#include <cstring>

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

bool SearchOrderLess(const std::string& a, const std::string& b) {
    int c = CompareIgnoringCase(a.c_str(), b.c_str());
    if (c != 0) return c < 0;
    return a < b;
}

}  // namespace platform
