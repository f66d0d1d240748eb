// The main dialog: the whole user interface of the installer. It is the
// installer core too (it derives from InstallerCore, whose state it holds),
// shows the game directory and the mods with their status, and runs Install
// and Remove on the selected mod with the ticked extras.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/installer_core.h"
#include "ui/mod_list.h"
#include "core/player_messages.h"

#include <functional>
#include <memory>
#include <string>

class CVeldrinInsDlg : public wxDialog, public InstallerCore {
public:
    // Builds the dialog from template 102 (hidden) and loads the application
    // icon. parent is null for the program's main window.
    explicit CVeldrinInsDlg(wxWindow* parent = nullptr);

    // Initialises the dialog and, unless the player declines, shows it
    // modally. Returns the code the dialog was closed with.
    int DoModal();

    // The start-up sequence: asks the player to confirm (ending the process
    // with status 0 on "No"), ticks the default extras, finds and shows the
    // game directory, stamps the package's library, sets up the list and
    // scans the mods. Runs before the dialog is shown; when no game directory
    // holding the package was found, the player is told so once it shows.
    // Returns true.
    bool OnInitDialog();

    // Binds the control members to the controls of the template.
    void DoDataExchange();

    // True when the focus is on the mod list or a window inside it.
    bool FocusIsOnList() const;

    // The item data of the list row at the selection mark; 0 when none.
    wxIntPtr SelectedItemData() const { return m_lstMods->SelectedItemData(); }

    // The message map's handlers.
    // A command of the window's menu: the About item (its identifier with the
    // low four bits ignored) shows the About box; any other command is left
    // to the default processing.
    void OnSysCommand(wxCommandEvent& event);
    // Draws the application icon centred while the window is minimised;
    // otherwise the window paints as usual.
    void OnPaint(wxPaintEvent& event);
    // The icon shown while the minimised window is dragged: the large icon.
    wxIcon OnQueryDragIcon() const;
    // Where the window manager owns the system menu: shows the window's menu
    // (the About item) on a right click or the Menu key, except over the
    // game-directory field, which keeps its own editing menu.
    void OnContextMenu(wxContextMenuEvent& event);
    void OnColumnClickModList(wxListEvent& event);
    void OnItemChangedModList(wxListEvent& event);
    // Install into, or Remove from, the mod of the row at the selection
    // mark; both buttons end disabled. What the change could not do is told
    // in a box; with no row marked nothing is changed.
    void OnInstall(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    // Asks for a folder, starting at the game directory. One that holds the
    // package catalogue becomes the game directory for this run (shown,
    // stamped and scanned again, both buttons disabled); any other is
    // refused with a box that says what the folder must hold. Cancel changes
    // nothing, and nothing is written to the registry.
    void OnBrowse(wxCommandEvent& event);
    // Once the dialog shows after a start without a usable game directory,
    // tells the player to press Browse and choose the Half-Life folder.
    void OnShow(wxShowEvent& event);
    // Enter with the focus on the list presses the default button, Exit, as
    // it does elsewhere in the dialog; every other key goes on as usual.
    void OnCharHook(wxKeyEvent& event);

    // Controls, bound by DoDataExchange.
    wxCheckBox* m_chkCopyChat = nullptr;
    wxStaticText* m_stcDumping = nullptr;
    wxCheckBox* m_chkCopyWpnConfigs = nullptr;
    wxButton* m_btnRemove = nullptr;
    wxButton* m_btnInstall = nullptr;
    wxCheckBox* m_chkCopyNames = nullptr;
    CModListCtrl* m_lstMods = nullptr;
    wxTextCtrl* m_edtGameDir = nullptr;
    wxCheckBox* m_chkCopyCfg = nullptr;
    wxCheckBox* m_chkCopyWaypoints = nullptr;
    wxIconBundle m_hIcon;

    // Asks the player for a folder, starting at start; returns the chosen
    // folder, or an empty string when the player cancels. The system's
    // folder chooser, unless a test puts its own in its place.
    std::function<wxString(const wxString& start)> m_fnChooseFolder;

#ifdef __WXMSW__
    // Answers WM_QUERYDRAGICON with OnQueryDragIcon; all else as wxDialog.
    WXLRESULT MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) override;
#endif

private:
    // Appends the About item, after a separator, to the window's system
    // menu; where the platform has none for a program, to the context menu
    // the dialog shows in its place.
    void AddAboutToSystemMenu();

    // Shows the About box modally.
    void ShowAboutBox();

    // The stand-in for the system menu, where the platform has none; null
    // on Windows.
    std::unique_ptr<wxMenu> m_mnuWindow;

    // Stops the process with status 0 when the player declines to go on.
    void ConfirmStartOrExit();

    // What start-up found wrong with the game directory (none holding the
    // package, none of its mods there); the player hears of it once the
    // dialog shows. Empty when all is well.
    std::string m_strTellAtShow;

    // The working directory the installer was started in.
    std::string m_strStartFolder;

    // The box start-up leaves for the player about dir, the game directory
    // it settled on (and scanned); empty when there is nothing to tell.
    std::string StartText(const std::string& dir) const;

    // The folder Browse opens at: the game directory, else the folder the
    // installer was started in, else the home folder.
    wxString BrowseStart() const;

    // After a change of the mod in slot: makes its row the current and
    // selected one again, with the buttons it calls for (both disabled when
    // its row is gone), tells what the change could not do, and gives the
    // focus back to the list.
    void EndChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome, int slot);

    // Shows the weapon box and enables the buttons as the mod of the row calls
    // for; a row that is not in the list changes nothing.
    void FollowRow(long row);

    // Makes dir the game directory, shows it, stamps the package's library
    // and scans the mods into the list. A folder too long to use is shown,
    // and the list stays empty.
    void SetGameDirectory(const std::string& dir);

    // The display name of a catalogue slot; empty for a slot the catalogue
    // does not fill.
    std::string ModNameOfSlot(int slot) const;

    // After an Install or Remove: a box owned by the dialog tells the player
    // what went wrong and what to do; a success is told by the list alone.
    // When Windows denied access to a process that is not elevated, the box
    // asks whether to start the installer again as administrator; Yes does
    // and closes this one.
    void TellOutcome(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome);

    wxDECLARE_EVENT_TABLE();
};
