// The player's language as the system tells it, and the compiled message
// catalogues the program ships for a language.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The languages the player's system asks for, most wanted first, as the
// system names them: on Linux LANGUAGE's list, then the first of LC_ALL,
// LC_MESSAGES and LANG that is set ("de_DE.UTF-8"); on Windows the user's
// UI languages ("pt-BR"). Empty when none is set.
[[nodiscard]] std::vector<std::string> SystemLanguages();

// The compiled catalogue of domain in language ("pt_BR"), as the program
// ships it: on Linux the file <language>/LC_MESSAGES/<domain>.mo in the
// locale folders (the install's share/locale beside the program's folder,
// then the build's own); on Windows the program's resource
// "<domain>_<language>" of type MOFILE, a .mo or its compact form. Empty
// when there is none or it cannot be read.
[[nodiscard]] std::string ShippedCatalogue(const std::string& domain, const std::string& language);

}  // namespace platform
