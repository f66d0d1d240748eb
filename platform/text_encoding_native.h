// What text_encoding.cpp takes from the host's file.
#pragma once

#include <string>

namespace platform {

// Appends the UTF-8 form of the character c.
void AppendUtf8(std::string& out, char32_t c);

// bytes in a code page that the program has no table of, decoded by the
// system into UTF-8; U+FFFD for what it cannot decode, or for the whole
// text when it knows no such code page.
std::string DecodeWithSystem(const std::string& bytes, int codePage);

}  // namespace platform
