// Resource identifiers of the installer's dialogs, strings, icons and bitmaps.
//
// The dialog templates live in res/veldrinins_main.xrc and are compiled into
// the program; each control there is named after its constant below, and
// RegisterResourceIds gives every name its number before a template is loaded.
#pragma once

#include <string>
#include <vector>

class wxDialog;
class wxSize;
class wxWindow;

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDD_VELDRININS_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDB_LOGO = 130;
constexpr int IDM_ABOUTBOX = 0x0010;

constexpr int IDC_INSTALL = 1002;
constexpr int IDC_REMOVE = 1003;
constexpr int IDC_COPY_WAYPOINTS = 1004;
constexpr int IDC_COPY_CFG = 1005;
constexpr int IDC_GAME_DIR = 1006;
constexpr int IDC_COPY_CHAT = 1007;
constexpr int IDC_MOD_LIST = 1008;
constexpr int IDC_COPY_NAMES = 1009;
constexpr int IDC_ABOUT = 1010;
constexpr int IDC_LOGO = 1011;
constexpr int IDC_COPY_WPN_CONFIGS = 1012;
constexpr int IDC_DUMPING = 1013;
constexpr int IDC_BROWSE = 1014;

// Uses the first of languages that the program has a catalogue of (on Linux
// the system's names, "de_DE.UTF-8"; empty: the system's languages) for
// the program's texts and the dialog templates' (translated as each dialog
// is built), and on GTK for wxWidgets' own; English when there is none. On
// GTK the first call also sets the process's locale to the system's
// (numbers aside), for the toolkit's own dialogs.
void UsePlayersLanguage(const std::vector<std::string>& languages = {});

// The string table. Returns the text of string id in the player's language
// (UTF-8), or an empty string for an id the table lacks.
const char* LoadResourceString(int id);

// Gives each control name of the templates its number and loads the compiled
// templates, icons and bitmaps into wxXmlResource::Get(). Safe to call more
// than once; only the first call does anything. Needs a running wxApp.
// Returns false when a dialog template is missing from what was loaded.
bool LoadVeldrinInsResources();

// Builds dialog from the template name (loading the resources first), owned
// by parent, and gives its client area the template's size in dialog units.
void LoadDialogTemplate(wxDialog* dialog, wxWindow* parent, const char* name, const wxSize& size);
