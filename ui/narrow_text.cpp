#include "ui/narrow_text.h"

#include <wx/strconv.h>

wxString NarrowToWx(const std::string& text) {
    // A shown name is cut at a byte count, which can split the last UTF-8
    // character; such a tail is dropped rather than turning the whole name
    // into Windows-1252 mojibake.
    for (size_t cut = 0; cut <= 3 && cut <= text.size(); ++cut) {
        wxString utf8 = wxString::FromUTF8(text.data(), text.size() - cut);
        if (!utf8.empty() || text.size() == cut) return utf8;
    }
    static wxCSConv cp1252(wxFONTENCODING_CP1252);
    return wxString(text.data(), cp1252, text.size());
}
