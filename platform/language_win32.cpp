#include "platform/language.h"

#include <windows.h>

namespace platform {

namespace {

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

}  // namespace

std::vector<std::string> SystemLanguages() {
    std::vector<std::string> languages;
    // GetUserPreferredUILanguages is there from Vista on; the one UI
    // language is the same on every Windows.
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) > 0)
        languages.push_back(Narrow(name));
    return languages;
}

std::string ShippedCatalogue(const std::string& domain, const std::string& language) {
    const std::string name = domain + "_" + language;
    HRSRC resource = FindResourceA(nullptr, name.c_str(), "MOFILE");
    if (!resource) return std::string();
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const DWORD size = SizeofResource(nullptr, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return std::string();
    return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace platform
