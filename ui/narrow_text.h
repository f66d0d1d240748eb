// Conversion between the core's narrow (8-bit) strings and wx's text.
#pragma once

#include <wx/string.h>

#include <string>

#include "platform/text_encoding.h"

// The text of a narrow string as the player should read it: UTF-8 when the
// bytes are UTF-8 (a character cut short at the end is dropped), otherwise
// the file layer's code page (on Windows the ANSI code page, elsewhere
// Windows-1252).
wxString NarrowToWx(const std::string& text);

// The narrow form of a path the system handed over (a folder the player
// chose): on Windows in the ANSI code page, which the file layer's "A"
// functions take; the characters that code page lacks are listed in the
// result's unheld, and then its narrow form names no folder. Elsewhere
// UTF-8, as file names are stored.
platform::NarrowPath PathToNarrow(const wxString& path);
