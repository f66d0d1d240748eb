// Text between the code pages of the player's system and UTF-8: how text
// read from the package is shown, and, on Windows, how a name the system
// hands over in UTF-16 becomes the narrow string the file layer takes.
#pragma once

#include <string>

namespace platform {

// True when text is well-formed UTF-8 (plain ASCII is).
[[nodiscard]] bool IsUtf8(const std::string& text);

// The Windows code page of a language, from a locale name such as
// "ru_RU.UTF-8", "pl-PL" or "zh_CN": 1251 for the Cyrillic languages, 1250
// for those of central Europe, 1254 for Turkish and Azeri, 936 (GBK) for
// Chinese, 1252 for every other language and for an empty or unknown name.
[[nodiscard]] int CodePageOfLanguage(const std::string& locale);

// The code page in which the player's own files are written when they are
// not UTF-8: on Windows the ANSI code page of the user's locale (which the
// program's UTF-8 setting does not change); elsewhere the one of the
// language that LC_ALL, LC_MESSAGES or LANG names (the first one set).
[[nodiscard]] int PlayerCodePage();

// The code page of the file layer's narrow strings: on Windows the ANSI code
// page (65001 where the program's UTF-8 setting holds), elsewhere 65001.
[[nodiscard]] int AnsiCodePage();

// bytes in codePage, as UTF-8. Windows-1250, 1251, 1252 and 1254 are decoded
// by the program's own tables, other code pages by the system; a byte the
// code page does not define, and text the system cannot decode, give U+FFFD.
std::string DecodeCodePage(const std::string& bytes, int codePage);

// Text read from the package, as UTF-8: kept when it is UTF-8 already,
// otherwise decoded from PlayerCodePage().
std::string PackageTextToUtf8(const std::string& bytes);

// A path the system named, in the narrow form the file layer takes.
struct NarrowPath {
    std::string narrow;  // the file layer's form; '?' for each unheld character, naming no file
    std::string utf8;    // the path exactly, as UTF-8, for the player to read
    std::string unheld;  // the characters, as UTF-8, that the narrow form cannot hold; empty when none
};

// utf8 in the file layer's narrow form: itself, except on a Windows whose
// ANSI code page is not UTF-8, where it is converted to that code page and
// the characters the code page lacks are listed in unheld.
NarrowPath NarrowPathOfUtf8(const std::string& utf8);

// The narrow text of the file layer (a path in the ANSI code page on
// Windows) or UTF-8, as UTF-8: text that is UTF-8 is kept; on Windows
// other text is decoded from the ANSI code page, elsewhere from Windows-1252.
std::string NarrowToUtf8(const std::string& text);

#ifdef _WIN32
// A path as Windows gives it, in UTF-16, in the file layer's narrow form:
// the ANSI code page, which is UTF-8 where the program's manifest is
// honoured; a character the code page lacks is listed in unheld, never
// replaced by a look-alike (which could name another folder).
NarrowPath NarrowPathOfWide(const std::wstring& wide);

// Narrow text as UTF-16: UTF-8 when it is UTF-8, otherwise the ANSI code
// page.
std::wstring WideOfNarrow(const std::string& text);
#endif

}  // namespace platform
