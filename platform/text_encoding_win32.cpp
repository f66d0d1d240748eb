// The code pages on Windows: the user's locale's ANSI code page, the
// system's decoding, and paths between UTF-16 and the ANSI code page.
#include "platform/text_encoding.h"
#include "platform/text_encoding_native.h"

#include <windows.h>

namespace platform {

namespace {

std::wstring Wide(const std::string& bytes, UINT codePage, DWORD flags) {
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// One character of a UTF-16 text (a surrogate pair as one) starting at i.
size_t CharacterLength(const std::wstring& wide, size_t i) {
    return wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() ? 2 : 1;
}

}  // namespace

int PlayerCodePage() {
    // The locale's code page, not GetACP(): with the manifest's UTF-8
    // setting that is 65001, while the player's own files stay in the
    // locale's.
    DWORD codePage = 0;
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR)) == 0 ||
        codePage == 0 || codePage == CP_UTF8)
        return 1252;
    return static_cast<int>(codePage);
}

std::string DecodeWithSystem(const std::string& bytes, int codePage) {
    if (bytes.empty()) return std::string();
    const std::wstring wide = Wide(bytes, static_cast<UINT>(codePage), 0);
    return wide.empty() ? std::string("\xEF\xBF\xBD") : Utf8(wide);
}

int AnsiCodePage() { return static_cast<int>(GetACP()); }

NarrowPath NarrowPathOfWide(const std::wstring& wide) {
    NarrowPath path;
    path.utf8 = Utf8(wide);
    if (GetACP() == CP_UTF8) {
        path.narrow = path.utf8;
        return path;
    }
    // Character by character, so that each one the code page lacks can be
    // named; no best fit: "ą" must not quietly become "a", which could name
    // another folder.
    for (size_t i = 0; i < wide.size();) {
        const size_t length = CharacterLength(wide, i);
        char buffer[8];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data() + i, static_cast<int>(length),
                                          buffer, sizeof buffer, nullptr, &usedDefault);
        if (n <= 0 || usedDefault) {
            // '?' names no file: the narrow form cannot reach another folder.
            path.unheld += Utf8(wide.substr(i, length));
            path.narrow += '?';
        } else path.narrow.append(buffer, static_cast<size_t>(n));
        i += length;
    }
    return path;
}

NarrowPath NarrowPathOfUtf8(const std::string& utf8) {
    if (GetACP() == CP_UTF8 || !IsUtf8(utf8)) return NarrowPath{utf8, utf8, std::string()};
    return NarrowPathOfWide(Wide(utf8, CP_UTF8, 0));
}

std::wstring WideOfNarrow(const std::string& text) { return Wide(text, IsUtf8(text) ? CP_UTF8 : CP_ACP, 0); }

std::string NarrowToUtf8(const std::string& text) { return IsUtf8(text) ? text : Utf8(Wide(text, CP_ACP, 0)); }

}  // namespace platform
