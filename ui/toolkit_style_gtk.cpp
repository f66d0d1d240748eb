// GTK: a style sheet for the whole program. GTK's theme gives a check box
// about 30 pixels beside its text and a button or edit field 34 pixels of
// height, against the 16 and 14-dialog-unit room of the templates.
#include "ui/toolkit_style.h"

#include <dlfcn.h>

#include <cstring>

namespace {

const char kCompactStyle[] =
    "checkbutton, checkbutton.text-button { padding: 0; min-height: 0; }\n"
    "checkbutton check, checkbutton.text-button check { margin: 0 2px 0 0; min-width: 13px; min-height: 13px; }\n"
    "checkbutton.text-button label:not(:only-child):last-child { margin: 0; }\n"
    "button { padding: 0 4px; min-height: 0; min-width: 0; }\n"
    "entry { padding-top: 0; padding-bottom: 0; min-height: 0; }\n";

// GTK_STYLE_PROVIDER_PRIORITY_APPLICATION
constexpr unsigned kApplicationPriority = 600;

}  // namespace

void FitToolkitStyleToTemplates() {
    // wxWidgets has already loaded GTK; its functions are looked up there,
    // which spares the build GTK's development headers for five calls.
    using NewProvider = void* (*)();
    using LoadData = int (*)(void*, const char*, long, void**);
    using DefaultScreen = void* (*)();
    using AddProvider = void (*)(void*, void*, unsigned);
    auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    auto loadData = reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    auto defaultScreen = reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto addProvider =
        reinterpret_cast<AddProvider>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (!newProvider || !loadData || !defaultScreen || !addProvider) return;

    void* screen = defaultScreen();
    if (!screen) return;
    void* provider = newProvider();
    if (!loadData(provider, kCompactStyle, static_cast<long>(std::strlen(kCompactStyle)), nullptr)) return;
    addProvider(screen, provider, kApplicationPriority);
}
