#include "ui/narrow_text.h"

wxString NarrowToWx(const std::string& text) {
    // A shown text may be cut at a byte count, which can split the last
    // UTF-8 character; such a tail is dropped rather than reading the whole
    // text in another code page.
    if (platform::IsUtf8(text)) return wxString::FromUTF8(text);
    size_t start = text.size();
    while (start > 0 && text.size() - start < 3 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start > 0 && static_cast<unsigned char>(text[start - 1]) >= 0xC2 && platform::IsUtf8(text.substr(0, start - 1)))
        return wxString::FromUTF8(text.substr(0, start - 1));
    return wxString::FromUTF8(platform::NarrowToUtf8(text));
}

platform::NarrowPath PathToNarrow(const wxString& path) {
#ifdef __WXMSW__
    return platform::NarrowPathOfWide(path.ToStdWstring());
#else
    const std::string utf8 = path.utf8_string();
    return platform::NarrowPath{utf8, utf8, std::string()};
#endif
}
