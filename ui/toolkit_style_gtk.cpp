// GTK: a style sheet for the whole program. GTK's theme gives a check box
// about 30 pixels beside its text and a button or edit field 34 pixels of
// height, against the 16 and 14-dialog-unit room of the templates. It draws
// a read-only field white and with a caret, as if it took typing, where
// Windows draws it on the dialog's ground, without one: the sheet gives
// fields of the "read-only" class that look, and such fields get the class.
// GTK 3 shows message boxes without the icon of their kind; an emission hook
// gives them one.
#include "ui/toolkit_style.h"

#include <dlfcn.h>
#include <wx/textctrl.h>

#include <cstring>
#include <iterator>

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

// GtkMessageType, in GTK's order, and GTK_ICON_SIZE_DIALOG.
const char* const kIconOfMessageType[] = {"dialog-information", "dialog-warning", "dialog-question", "dialog-error"};
constexpr int kDialogIconSize = 6;
const char kIconGiven[] = "veldrin-icon-given";

template <typename Function>
Function Gtk(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

// Runs as any widget is shown; gives a message box the icon of its kind
// before it is first drawn. The box's type is read once: setting an image
// makes GTK forget it.
int GiveIconOnShow(void*, unsigned, const void* values, void*) {
    static const auto getObject = Gtk<void* (*)(const void*)>("g_value_get_object");
    static const auto isA = Gtk<int (*)(void*, unsigned long)>("g_type_check_instance_is_a");
    static const auto messageDialogType = Gtk<unsigned long (*)()>("gtk_message_dialog_get_type");
    static const auto getData = Gtk<void* (*)(void*, const char*)>("g_object_get_data");
    static const auto setData = Gtk<void (*)(void*, const char*, void*)>("g_object_set_data");
    static const auto getProperty = Gtk<void (*)(void*, const char*, ...)>("g_object_get");
    static const auto newImage = Gtk<void* (*)(const char*, int)>("gtk_image_new_from_icon_name");
    static const auto showWidget = Gtk<void (*)(void*)>("gtk_widget_show");
    static const auto setImage = Gtk<void (*)(void*, void*)>("gtk_message_dialog_set_image");
    if (!getObject || !isA || !messageDialogType || !getData || !setData || !getProperty || !newImage || !showWidget ||
        !setImage)
        return 0;  // unhooks: without them nothing can be given
    void* widget = getObject(values);
    if (!widget || !isA(widget, messageDialogType()) || getData(widget, kIconGiven)) return 1;
    int type = -1;
    getProperty(widget, "message-type", &type, nullptr);
    if (type < 0 || type >= static_cast<int>(std::size(kIconOfMessageType))) return 1;
    void* image = newImage(kIconOfMessageType[type], kDialogIconSize);
    if (!image) return 1;
    showWidget(image);
    setImage(widget, image);
    setData(widget, kIconGiven, widget);
    return 1;
}

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

void GiveMessageBoxesTheirIcons() {
    static bool given = false;
    if (given) return;
    using HookFunction = int (*)(void*, unsigned, const void*, void*);
    auto widgetType = Gtk<unsigned long (*)()>("gtk_widget_get_type");
    auto lookup = Gtk<unsigned (*)(const char*, unsigned long)>("g_signal_lookup");
    auto addHook =
        Gtk<unsigned long (*)(unsigned, unsigned, HookFunction, void*, void (*)(void*))>("g_signal_add_emission_hook");
    if (!widgetType || !lookup || !addHook) return;
    const unsigned show = lookup("show", widgetType());
    if (!show) return;
    addHook(show, 0, GiveIconOnShow, nullptr, nullptr);
    given = true;
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
