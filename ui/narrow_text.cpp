#include "ui/narrow_text.h"

#include <wx/strconv.h>
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>
#endif

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

std::string PathToNarrow(const wxString& path) {
#ifdef __WXMSW__
    // No best-fit letters: "ą" must not quietly become "a", which could name
    // another folder.
    const std::wstring wide = path.ToStdWstring();
    if (wide.empty()) return std::string();
    int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr,
                                     0, "?", nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), narrow.data(),
                              size, "?", nullptr);
    return narrow;
#else
    return path.utf8_string();
#endif
}
