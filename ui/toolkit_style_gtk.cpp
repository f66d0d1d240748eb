// GTK: a style sheet for the whole program. GTK's theme gives a check box
// about 30 pixels beside its text and a button or edit field 34 pixels of
// height, against the 16 and 14-dialog-unit room of the templates. It draws
// a read-only field white and with a caret, as if it took typing, where
// Windows draws it on the dialog's ground, without one: the sheet gives
// fields of the "read-only" class that look, and such fields get the class.
#include "ui/toolkit_style.h"

#include <dlfcn.h>
#include <wx/textctrl.h>

#include <cstring>

namespace {

const char kCompactStyle[] =
    "checkbutton, checkbutton.text-button { padding: 0; min-height: 0; }\n"
    "checkbutton check, checkbutton.text-button check { margin: 0 2px 0 0; min-width: 13px; min-height: 13px; }\n"
    "checkbutton.text-button label:not(:only-child):last-child { margin: 0; }\n"
    "button { padding: 0 4px; min-height: 0; min-width: 0; }\n"
    "entry { padding-top: 0; padding-bottom: 0; min-height: 0; }\n"
    "entry.read-only { background-color: @theme_bg_color; background-image: none; caret-color: transparent; }\n";

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
    auto addProvider = reinterpret_cast<AddProvider>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (!newProvider || !loadData || !defaultScreen || !addProvider) return;

    void* screen = defaultScreen();
    if (!screen) return;
    void* provider = newProvider();
    if (!loadData(provider, kCompactStyle, static_cast<long>(std::strlen(kCompactStyle)), nullptr)) return;
    addProvider(screen, provider, kApplicationPriority);
}

void LookReadOnly(wxTextCtrl* field) {
    // GTK's entry keeps its "read-only" class off when it is made read-only.
    using StyleContextOf = void* (*)(void*);
    using AddClass = void (*)(void*, const char*);
    auto styleContextOf = reinterpret_cast<StyleContextOf>(dlsym(RTLD_DEFAULT, "gtk_widget_get_style_context"));
    auto addClass = reinterpret_cast<AddClass>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_class"));
    if (!styleContextOf || !addClass || !field || field->IsMultiLine() || field->IsEditable()) return;
    // A single-line field's handle is its entry.
    if (void* context = styleContextOf(field->GetHandle())) addClass(context, "read-only");
}
