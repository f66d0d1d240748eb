// Conversion between the core's narrow (8-bit) strings and wx's text.
#pragma once

#include <wx/string.h>

#include <string>

// The text of a narrow string as the player should read it: UTF-8 when the
// bytes are UTF-8 (a character cut short at the end is dropped), otherwise
// Windows-1252, the code page the package's files are written in.
wxString NarrowToWx(const std::string& text);

// The narrow form of a path the system handed over (a folder the player
// chose): on Windows in the ANSI code page, which the file layer's "A"
// functions take, with '?' for a character the code page lacks (such a path
// then names no folder); elsewhere UTF-8, as file names are stored.
std::string PathToNarrow(const wxString& path);
