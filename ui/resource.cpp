#include "ui/resource.h"

#include "ui/toolkit_style.h"

#include <clocale>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/fontenum.h>
#include <wx/image.h>
#if wxUSE_INTL
#include <wx/translation.h>
#include <wx/uilocale.h>
#endif
#include <wx/xml/xml.h>
#include <wx/xrc/xh_bmp.h>
#include <wx/xrc/xh_bttn.h>
#include <wx/xrc/xh_chckb.h>
#include <wx/xrc/xh_dlg.h>
#include <wx/xrc/xh_listc.h>
#include <wx/xrc/xh_stbmp.h>
#include <wx/xrc/xh_stbox.h>
#include <wx/xrc/xh_sttxt.h>
#include <wx/xrc/xh_text.h>
#include <wx/xrc/xmlres.h>

#include "core/translations.h"

// Made by wxrc from res/veldrinins_main.xrc at build time.
extern void InitVeldrinInsXmlResource();

namespace {

const char kTemplateFace[] = "MS Sans Serif";

void RegisterResourceIds() {
    static const struct {
        const char* name;
        int id;
    } ids[] = {
        {"IDD_ABOUTBOX", IDD_ABOUTBOX},
        {"IDD_VELDRININS_DIALOG", IDD_VELDRININS_DIALOG},
        {"IDC_INSTALL", IDC_INSTALL},
        {"IDC_REMOVE", IDC_REMOVE},
        {"IDC_COPY_WAYPOINTS", IDC_COPY_WAYPOINTS},
        {"IDC_COPY_CFG", IDC_COPY_CFG},
        {"IDC_GAME_DIR", IDC_GAME_DIR},
        {"IDC_COPY_CHAT", IDC_COPY_CHAT},
        {"IDC_MOD_LIST", IDC_MOD_LIST},
        {"IDC_COPY_NAMES", IDC_COPY_NAMES},
        {"IDC_ABOUT", IDC_ABOUT},
        {"IDC_LOGO", IDC_LOGO},
        {"IDC_COPY_WPN_CONFIGS", IDC_COPY_WPN_CONFIGS},
        {"IDC_DUMPING", IDC_DUMPING},
        {"IDC_BROWSE", IDC_BROWSE},
    };
    for (const auto& entry : ids) wxXmlResource::GetXRCID(entry.name, entry.id);
}

// The templates ask for 8-point MS Sans Serif. Where that face is missing,
// an 8-point stand-in would be smaller than anything else on the desktop, so
// the dialog keeps the system's dialog font instead: its font entry is
// dropped before anything is built from it.
void UseSystemFontWithoutTemplateFace() {
    if (wxFontEnumerator::IsValidFacename(kTemplateFace)) return;
    for (const char* name : {"IDD_VELDRININS_DIALOG", "IDD_ABOUTBOX"}) {
        auto* dialog = const_cast<wxXmlNode*>(wxXmlResource::Get()->GetResourceNode(name));
        if (!dialog) continue;
        for (wxXmlNode* child = dialog->GetChildren(); child; child = child->GetNext()) {
            if (child->GetType() == wxXML_ELEMENT_NODE && child->GetName() == "font") {
                dialog->RemoveChild(child);
                delete child;
                break;
            }
        }
    }
}

// A text of the templates (a label or a title) in English, as the loader
// reads it: the node that holds it and the text itself, from which each
// dialog gets its translation when it is built.
struct TemplateText {
    wxXmlNode* node;
    wxString english;
};

std::vector<TemplateText>& TemplateTexts() {
    static std::vector<TemplateText> texts;
    return texts;
}

// The text the loader makes of a node's content: "_X" stands for the
// mnemonic "&X" and "__" for "_"; \n, \t, \r and \\ for their characters.
wxString LoaderText(const wxString& content) {
    wxString text;
    for (auto c = content.begin(); c != content.end(); ++c) {
        if (*c == '_' && c + 1 != content.end()) {
            ++c;
            if (*c != '_') text << '&';
            text << *c;
        } else if (*c == '\\' && c + 1 != content.end()) {
            ++c;
            if (*c == 'n') text << '\n';
            else if (*c == 't') text << '\t';
            else if (*c == 'r') text << '\r';
            else if (*c == '\\') text << '\\';
            else text << '\\' << *c;
        } else {
            text << *c;
        }
    }
    return text;
}

// The node content the loader reads as text: LoaderText's inverse.
wxString LoaderContent(const wxString& text) {
    wxString content;
    for (const wxUniChar c : text) {
        if (c == '_') content << "__";
        else if (c == '\\') content << "\\\\";
        else if (c == '\n') content << "\\n";
        else if (c == '\t') content << "\\t";
        else if (c == '\r') content << "\\r";
        else content << c;
    }
    return content;
}

void CollectTemplateTexts(wxXmlNode* node) {
    for (wxXmlNode* child = node->GetChildren(); child; child = child->GetNext()) {
        if (child->GetType() != wxXML_ELEMENT_NODE) continue;
        wxXmlNode* content = child->GetChildren();
        if ((child->GetName() == "label" || child->GetName() == "title") && content)
            TemplateTexts().push_back({content, LoaderText(content->GetContent())});
        else CollectTemplateTexts(child);
    }
}

// The templates' texts are translated by the program, as its messages are,
// into the language in use when a dialog is built: the loader itself
// translates nothing (it would take wx's words for "OK" or "Browse" over
// ours, and the Windows program has no wx catalogue at all).
void TranslateTemplateTexts() {
    for (const TemplateText& text : TemplateTexts())
        text.node->SetContent(LoaderContent(wxString::FromUTF8(Tr(text.english.utf8_str()))));
}

}  // namespace

const char* LoadResourceString(int id) {
    // The same texts as res/veldrinins.rc's string table, which Windows
    // programs carry; XRC has no strings of its own.
    switch (id) {
        case IDS_ABOUTBOX: return Tr("&About VeldrinIns...");
        default: return "";
    }
}

void UsePlayersLanguage(const std::vector<std::string>& languages) {
#if wxUSE_INTL
    static bool localeSet = false;
    if (!localeSet) {
        localeSet = true;
        // The system's locale, so that GTK's own dialogs (the folder
        // chooser) speak the player's language; numbers keep C's form, as
        // the files and the log are written in it.
        (void)wxUILocale::UseDefault();
        std::setlocale(LC_NUMERIC, "C");
    }
#endif
    translations::UseLanguages(languages);
#if wxUSE_INTL
    // wx's own words, where a toolkit dialog has any, in the language the
    // core chose: one the program has no catalogue of is English
    // throughout, not English buttons' words in another language. The
    // Windows build has none: its boxes and folder chooser are the system's.
    auto* catalogues = new wxTranslations;
    wxTranslations::Set(catalogues);
    const std::string& language = translations::Language();
    catalogues->SetLanguage(language.empty() ? wxString("en") : wxString::FromUTF8(language));
    (void)catalogues->AddStdCatalog();
#endif
}

bool LoadVeldrinInsResources() {
    static bool loaded = false;
    static bool complete = false;
    if (loaded) return complete;
    loaded = true;

#if wxUSE_LIBPNG
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
#endif
    wxXmlResource* resources = wxXmlResource::Get();
    // The templates are compiled in and never change while the program runs;
    // without this flag an edited copy of the tree could be read again.
    resources->SetFlags((resources->GetFlags() | wxXRC_NO_RELOADING) & ~wxXRC_USE_LOCALE);
    // Only the handlers of the classes res/veldrinins_main.xrc uses: each
    // one links its control into the program, and all of them (trees,
    // books, pickers, HTML windows...) would make the Windows program
    // several times larger. A template given a class not listed here fails
    // to load, which the dialog tests see.
    resources->AddHandler(new wxDialogXmlHandler);
    resources->AddHandler(new wxButtonXmlHandler);
    resources->AddHandler(new wxCheckBoxXmlHandler);
    resources->AddHandler(new wxListCtrlXmlHandler);
    resources->AddHandler(new wxStaticBitmapXmlHandler);
    resources->AddHandler(new wxStaticBoxXmlHandler);
    resources->AddHandler(new wxStaticTextXmlHandler);
    resources->AddHandler(new wxTextCtrlXmlHandler);
    resources->AddHandler(new wxBitmapXmlHandler);
    resources->AddHandler(new wxIconXmlHandler);
    RegisterResourceIds();
    InitVeldrinInsXmlResource();
    complete = resources->GetResourceNode("IDD_VELDRININS_DIALOG") && resources->GetResourceNode("IDD_ABOUTBOX");
    UseSystemFontWithoutTemplateFace();
    for (const char* name : {"IDD_VELDRININS_DIALOG", "IDD_ABOUTBOX"})
        if (const wxXmlNode* dialog = resources->GetResourceNode(name))
            CollectTemplateTexts(const_cast<wxXmlNode*>(dialog));
    FitToolkitStyleToTemplates();
    GiveMessageBoxesTheirIcons();
    return complete;
}

void LoadDialogTemplate(wxDialog* dialog, wxWindow* parent, const char* name, const wxSize& size) {
    LoadVeldrinInsResources();
    TranslateTemplateTexts();
    wxXmlResource::Get()->LoadDialog(dialog, parent, name);
    // The loader sizes the dialog before it applies the template's font, so
    // the size is converted again with the font the controls were laid out in.
    dialog->SetClientSize(dialog->ConvertDialogToPixels(size));
}
