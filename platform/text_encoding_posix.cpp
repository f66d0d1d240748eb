// The code pages on POSIX: the player's language from the locale variables,
// GBK and the rest through iconv, and paths that are bytes already.
#include "platform/text_encoding.h"
#include "platform/text_encoding_native.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

int PlayerCodePage() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return CodePageOfLanguage(value);
    }
    return CodePageOfLanguage("");
}

std::string DecodeWithSystem(const std::string& bytes, int codePage) {
    const std::string name = codePage == 936 ? "GBK" : "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return "\xEF\xBF\xBD";
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // A byte that starts no character of the code page, or a character
        // cut short at the end: one U+FFFD, and on after it.
        AppendUtf8(out, 0xFFFD);
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    return out;
}

int AnsiCodePage() { return 65001; }

NarrowPath NarrowPathOfUtf8(const std::string& utf8) { return NarrowPath{utf8, utf8, std::string()}; }

std::string NarrowToUtf8(const std::string& text) { return IsUtf8(text) ? text : DecodeCodePage(text, 1252); }

}  // namespace platform
