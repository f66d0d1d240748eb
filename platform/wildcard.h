// Wildcard matching of file names as the Windows file search does it for long
// names: '*' matches any run of characters, '?' any one character, and
// letters are compared ignoring ASCII case.
#pragma once

#include <string>
#include <vector>

namespace platform {

// True when name matches pattern.
[[nodiscard]] bool WildcardMatch(const char* pattern, const char* name);

// ASCII case-insensitive comparison: negative, zero or positive like strcmp.
int CompareIgnoringCase(const char* a, const char* b);

// True when a and b are the same text but for the case of ASCII letters.
[[nodiscard]] inline bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareIgnoringCase(a.c_str(), b.c_str()) == 0;
}

// name with its ASCII letters in lower case: the spelling names are matched
// and ordered by.
std::string Folded(const std::string& name);

// Puts names in the order a search returns them on every host: by their
// folded spelling first, then by plain bytes so that the order is total.
void SortInSearchOrder(std::vector<std::string>& names);

}  // namespace platform
