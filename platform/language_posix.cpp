#include "platform/language.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/game_dir.h"

namespace platform {

std::vector<std::string> SystemLanguages() {
    std::vector<std::string> languages;
    // LANGUAGE is a list of languages, ':' between them.
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string rest = list;
        for (size_t at = 0; at <= rest.size();) {
            const size_t colon = std::min(rest.find(':', at), rest.size());
            if (colon > at) languages.push_back(rest.substr(at, colon - at));
            at = colon + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            languages.push_back(value);
            break;
        }
    }
    return languages;
}

namespace {

// The folders the catalogues are looked for in, in that order.
std::vector<std::string> CatalogueFolders() {
    std::vector<std::string> folders;
    const std::string program = ProgramDirectory();
    if (!program.empty()) folders.push_back(program + "/../share/locale");
#ifdef VELDRIN_BUILD_LOCALE_DIR
    folders.push_back(VELDRIN_BUILD_LOCALE_DIR);
#endif
    return folders;
}

}  // namespace

std::string ShippedCatalogue(const std::string& domain, const std::string& language) {
    for (const std::string& folder : CatalogueFolders()) {
        std::ifstream file(folder + "/" + language + "/LC_MESSAGES/" + domain + ".mo", std::ios::binary);
        if (!file) continue;
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (!file.bad() && !bytes.empty()) return bytes;
    }
    return std::string();
}

}  // namespace platform
