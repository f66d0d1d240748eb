// Conversion of the core's narrow (8-bit) strings for display.
#pragma once

#include <wx/string.h>

#include <string>

// The text of a narrow string as the player should read it: UTF-8 when the
// bytes are UTF-8 (a character cut short at the end is dropped), otherwise
// Windows-1252, the code page the package's files are written in.
wxString NarrowToWx(const std::string& text);
