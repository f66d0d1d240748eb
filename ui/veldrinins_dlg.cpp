#include "ui/veldrinins_dlg.h"

#include <wx/dcclient.h>
#include <wx/dirdlg.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>  // WM_QUERYDRAGICON, GetModuleHandle
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/game_folder.h"
#include "platform/file_system.h"
#include "platform/game_dir.h"
#include "ui/narrow_text.h"
#include "ui/about_dlg.h"
#include "ui/admin_restart.h"
#include "core/player_messages.h"
#include "core/translations.h"
#include "ui/resource.h"
#include "ui/single_instance.h"
#include "ui/toolkit_style.h"
#include "ui/window_chrome.h"

namespace {

const char kStartQuestion[] = TrMark(
    "\nBrowse to your <steam>\\<email>\\counter-strike\\ folder if you install in CS 1.6\n\n"
    "You are using this program at you own risk!\n"
    "Make sure to backup any important files and read the readme file.\n"
    "Do you wish to continue?");
const char kStartCaption[] = TrMark("Are you sure?");
const char kMessageCaption[] = "VeldrinIns";

// Template 102's client size, in dialog units.
const wxSize kDialogSize(282, 228);

// Windows keeps the low four bits of a system command for itself.
constexpr int kSysCommandMask = 0xFFF0;

template <typename T>
T* BindControl(wxWindow* dialog, int id) {
    T* control = dynamic_cast<T*>(dialog->FindWindow(id));
    wxASSERT_MSG(control, "dialog template lacks a control");
    return control;
}

}  // namespace

wxBEGIN_EVENT_TABLE(CVeldrinInsDlg, wxDialog)
    EVT_MENU(IDM_ABOUTBOX, CVeldrinInsDlg::OnSysCommand)
    EVT_PAINT(CVeldrinInsDlg::OnPaint)
    EVT_CONTEXT_MENU(CVeldrinInsDlg::OnContextMenu)
    EVT_LIST_COL_CLICK(IDC_MOD_LIST, CVeldrinInsDlg::OnColumnClickModList)
    EVT_LIST_ITEM_SELECTED(IDC_MOD_LIST, CVeldrinInsDlg::OnItemChangedModList)
    EVT_LIST_ITEM_DESELECTED(IDC_MOD_LIST, CVeldrinInsDlg::OnItemChangedModList)
    EVT_LIST_ITEM_FOCUSED(IDC_MOD_LIST, CVeldrinInsDlg::OnItemChangedModList)
    EVT_BUTTON(IDC_INSTALL, CVeldrinInsDlg::OnInstall)
    EVT_BUTTON(IDC_REMOVE, CVeldrinInsDlg::OnRemove)
    EVT_BUTTON(IDC_ABOUT, CVeldrinInsDlg::OnAbout)
    EVT_BUTTON(IDC_BROWSE, CVeldrinInsDlg::OnBrowse)
    EVT_SHOW(CVeldrinInsDlg::OnShow)
    EVT_CHAR_HOOK(CVeldrinInsDlg::OnCharHook)
wxEND_EVENT_TABLE()

CVeldrinInsDlg::CVeldrinInsDlg(wxWindow* parent) {
    LoadDialogTemplate(this, parent, "IDD_VELDRININS_DIALOG", kDialogSize);
    Centre();
#ifdef __WXMSW__
    // The program's own icon group, each size it holds: the Windows program
    // reads no PNG, which the templates' icons are for the other hosts.
    m_hIcon.AddIcon(wxString::Format("#%d", IDR_MAINFRAME), ::GetModuleHandle(nullptr));
#else
    m_hIcon.AddIcon(wxXmlResource::Get()->LoadIcon("IDR_MAINFRAME"));
    m_hIcon.AddIcon(wxXmlResource::Get()->LoadIcon("IDR_MAINFRAME_SMALL"));
#endif
    ShowPictureCentred(BindControl<wxStaticBitmap>(this, IDC_LOGO), wxXmlResource::Get()->LoadBitmap("IDB_LOGO"));
    m_fnChooseFolder = [this](const wxString& start) {
        // Named here: wx's default name lives beside its generic folder tree,
        // which would otherwise be linked into the Windows program unused.
        wxDirDialog chooser(this, wxString::FromUTF8(ChooseFolderTitle()), start,
                            wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "chooser");
        return chooser.ShowModal() == wxID_OK ? chooser.GetPath() : wxString();
    };
}

int CVeldrinInsDlg::DoModal() {
    OnInitDialog();
    return ShowModal();
}

void CVeldrinInsDlg::DoDataExchange() {
    m_chkCopyChat = BindControl<wxCheckBox>(this, IDC_COPY_CHAT);
    m_stcDumping = BindControl<wxStaticText>(this, IDC_DUMPING);
    m_chkCopyWpnConfigs = BindControl<wxCheckBox>(this, IDC_COPY_WPN_CONFIGS);
    m_btnRemove = BindControl<wxButton>(this, IDC_REMOVE);
    m_btnInstall = BindControl<wxButton>(this, IDC_INSTALL);
    m_chkCopyNames = BindControl<wxCheckBox>(this, IDC_COPY_NAMES);
    m_lstMods = BindControl<CModListCtrl>(this, IDC_MOD_LIST);
    m_edtGameDir = BindControl<wxTextCtrl>(this, IDC_GAME_DIR);
    m_chkCopyCfg = BindControl<wxCheckBox>(this, IDC_COPY_CFG);
    m_chkCopyWaypoints = BindControl<wxCheckBox>(this, IDC_COPY_WAYPOINTS);
}

bool CVeldrinInsDlg::OnInitDialog() {
    // The framework's part: bind the controls, hand them their data.
    DoDataExchange();
    TransferDataToWindow();
    LookReadOnly(m_edtGameDir);

    // The About item of the system menu.
    AddAboutToSystemMenu();

    // Large and small icon.
    SetIcons(m_hIcon);

    // Nothing is read or shown before the player agrees.
    ConfirmStartOrExit();

    // The trace stays off: nothing in the dialog turns it on.
    m_bLog = 0;
    m_stcDumping->Hide();
    if (m_bLog) {
        WriteLog("Veldrin Tarnwise v1.1d LOG\n");
        WriteLog("-----------------------------\n");
    }

    // The extras most players want.
    m_chkCopyCfg->SetValue(true);
    m_chkCopyWaypoints->SetValue(true);
    m_chkCopyNames->SetValue(true);
    m_chkCopyChat->SetValue(true);

    // The game directory: the first place that holds the package. Without
    // one the list stays empty, and only Browse can help. The package
    // library's date comes first: the scan compares each mod's copy of the
    // bot with it. The list, in the template's styles, with its two columns,
    // takes the scan's rows.
    m_strStartFolder = platform::WorkingDirectory();
    const std::string dir = layout::FindGameDirectory();
    if (m_bLog) WriteLog("Half-Life folder found: %s\n", dir.c_str());
    UseTemplateListStyles(m_lstMods);
    m_lstMods->SetUpColumns();
    SetGameDirectory(dir);
    m_strTellAtShow = StartText(dir);

    // Nothing is selected yet.
    m_btnInstall->Disable();
    m_btnRemove->Disable();

    // Offered only when the weapon-configuration mod is selected.
    m_chkCopyWpnConfigs->SetValue(true);
    m_chkCopyWpnConfigs->Hide();

    // The first control, Exit, takes the focus when the dialog shows.
    // Left alone, GTK would give it to the topmost control that takes one,
    // the game directory's field.
    FindWindow(wxID_OK)->SetFocus();
    return true;
}

void CVeldrinInsDlg::SetGameDirectory(const std::string& dir) {
    // A folder too long for the buffer is shown but not used: a cut path
    // could name another folder.
    // The empty directory always fits: no rows, no package library.
    if (!UseGameDirectory(dir, *m_lstMods)) (void)UseGameDirectory(std::string(), *m_lstMods);
    m_edtGameDir->ChangeValue(NarrowToWx(dir));
    // Nothing else found: the field shows the place the registry or Steam
    // named that this Windows' code page cannot reach, as the box tells.
    const std::vector<platform::NarrowPath> unheld = platform::UnheldGameDirectories();
    if (dir.empty() && !unheld.empty()) m_edtGameDir->ChangeValue(wxString::FromUTF8(unheld.front().utf8));
}

std::string CVeldrinInsDlg::StartText(const std::string& dir) const {
    const std::vector<platform::NarrowPath> unheld = platform::UnheldGameDirectories();
    if (!layout::HoldsPackage(dir) && !unheld.empty())
        return UnheldFolderText(unheld.front().utf8, unheld.front().unheld, platform::AnsiCodePage());
    if (!layout::HoldsPackage(dir)) return NoGameFolderText(dir);
    // Mods that are there but cannot be read are told as they are, not as
    // absent.
    std::vector<std::string> unreadable;
    for (const UnreadableMod& mod : UnreadableMods(*this)) unreadable.push_back(mod.detail);
    if (!unreadable.empty()) return UnreadableModsText(unreadable);
    if (m_lstMods->GetItemCount() == 0) return NoModsText(dir);
    return std::string();
}

void CVeldrinInsDlg::ConfirmStartOrExit() {
    int answer = wxMessageBox(wxString::FromUTF8(Tr(kStartQuestion)), wxString::FromUTF8(Tr(kStartCaption)),
                              wxYES_NO | wxICON_EXCLAMATION, this);
    if (answer == wxYES) return;
#ifdef __WXMSW__
    // Windows' box has no way to close it but its two buttons: any other
    // answer means it could not be shown at all.
    const bool shown = answer == wxNO;
#else
    // Closing the box without an answer is no consent either.
    const bool shown = true;
#endif
    if (shown) std::exit(0);
    std::fputs(Tr("VeldrinIns cannot start: its start-up question could not be shown (is there a display?).\n"
                  "Without a window, the command line lists, installs and removes: see VeldrinIns --help.\n"),
               stderr);
    std::exit(1);
}

void CVeldrinInsDlg::AddAboutToSystemMenu() {
    wxMenu* pSysMenu = WindowSystemMenu(this);
    if (!pSysMenu) {
        // The window manager keeps its menu to itself: the item goes into a
        // menu of the dialog's own, shown on its background instead.
        m_mnuWindow = std::make_unique<wxMenu>();
        pSysMenu = m_mnuWindow.get();
    }
    wxString strAboutMenu = wxString::FromUTF8(LoadResourceString(IDS_ABOUTBOX));
    if (strAboutMenu.empty()) return;
    // A separator would open the stand-in menu with an empty line.
    if (!m_mnuWindow) pSysMenu->AppendSeparator();
    pSysMenu->Append(IDM_ABOUTBOX, strAboutMenu);
}

void CVeldrinInsDlg::ShowAboutBox() {
    CAboutDlg dlgAbout(this);
    dlgAbout.DoModal();
}

void CVeldrinInsDlg::OnSysCommand(wxCommandEvent& event) {
    if ((event.GetId() & kSysCommandMask) == IDM_ABOUTBOX) ShowAboutBox();
    else event.Skip();
}

void CVeldrinInsDlg::OnContextMenu(wxContextMenuEvent& event) {
    // The field's own menu copies the game directory; that stays.
    if (!m_mnuWindow || event.GetEventObject() == m_edtGameDir) {
        event.Skip();
        return;
    }
    // The Menu key gives no position: the menu then opens at the pointer.
    wxPoint at = event.GetPosition();
    PopupMenu(m_mnuWindow.get(), at == wxDefaultPosition ? wxDefaultPosition : ScreenToClient(at));
}

void CVeldrinInsDlg::OnPaint(wxPaintEvent& event) {
    if (!IsIconized()) {
        event.Skip();
        return;
    }
    wxPaintDC dc(this);
    EraseIconBackground(this, dc);
    wxSize icon(wxSystemSettings::GetMetric(wxSYS_ICON_X, this), wxSystemSettings::GetMetric(wxSYS_ICON_Y, this));
    wxIcon image = m_hIcon.GetIcon(icon);
    if (image.IsOk()) dc.DrawIcon(image, MinimisedIconPosition(GetClientSize(), icon));
}

wxIcon CVeldrinInsDlg::OnQueryDragIcon() const {
    return m_hIcon.GetIcon(
        wxSize(wxSystemSettings::GetMetric(wxSYS_ICON_X, this), wxSystemSettings::GetMetric(wxSYS_ICON_Y, this)));
}

#ifdef __WXMSW__
WXLRESULT CVeldrinInsDlg::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) {
    // Windows asks a minimised window without a class icon what to show
    // while it is dragged; wxDialog leaves the question unanswered.
    if (message == WM_QUERYDRAGICON) {
        wxIcon icon = OnQueryDragIcon();
        if (icon.IsOk()) return reinterpret_cast<WXLRESULT>(icon.GetHICON());
    }
    return wxDialog::MSWWindowProc(message, wParam, lParam);
}
#endif

void CVeldrinInsDlg::OnColumnClickModList(wxListEvent& event) { m_lstMods->SortByStatus(event.GetColumn()); }

void CVeldrinInsDlg::OnItemChangedModList(wxListEvent& event) { FollowRow(event.GetIndex()); }

void CVeldrinInsDlg::FollowRow(long row) {
    if (row < 0 || row >= m_lstMods->GetItemCount()) return;  // names no row
    int32_t itemData = static_cast<int32_t>(m_lstMods->GetItemData(row));

    m_chkCopyWpnConfigs->Show(ItemDataSlot(itemData) == WEAPON_CONFIG_SLOT);

    m_btnInstall->Enable(OffersInstall(itemData));
    m_btnRemove->Enable(OffersRemove(itemData));
}

void CVeldrinInsDlg::OnInstall(wxCommandEvent&) {
    ChangeOutcome outcome;
    std::string modName;
    int slot = -1;
    // With no row at the selection mark there is no mod the player chose;
    // item data 0 would name slot 0, whatever mod that is.
    if (m_lstMods->GetSelectionMark() >= 0) {
        InstallOptions options;
        options.bCopyNames = m_chkCopyNames->GetValue();
        options.bCopyWaypoints = m_chkCopyWaypoints->GetValue();
        options.bCopyCfg = m_chkCopyCfg->GetValue();
        options.bCopyWpnConfigs = m_chkCopyWpnConfigs->GetValue();
        options.bCopyChat = m_chkCopyChat->GetValue();
        int32_t itemData = static_cast<int32_t>(SelectedItemData());
        slot = ItemDataSlot(itemData);
        modName = ModNameOfSlot(slot);
        // The change may wait a few seconds for another installer.
        wxBusyCursor busy;
        outcome = InstallMod(itemData, options, *m_lstMods);
    }
    EndChange(ChangeAction::Install, modName, outcome, slot);
}

void CVeldrinInsDlg::OnRemove(wxCommandEvent&) {
    ChangeOutcome outcome;
    std::string modName;
    int slot = -1;
    if (m_lstMods->GetSelectionMark() >= 0) {
        int32_t itemData = static_cast<int32_t>(SelectedItemData());
        slot = ItemDataSlot(itemData);
        modName = ModNameOfSlot(slot);
        wxBusyCursor busy;
        outcome = RemoveMod(itemData, *m_lstMods);
    }
    EndChange(ChangeAction::Remove, modName, outcome, slot);
}

void CVeldrinInsDlg::EndChange(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome,
                               int slot) {
    // The changed mod's row stays the current and selected one, so that the
    // keys go on from there, and the buttons follow it as they follow any
    // selected row: a click on a row already selected tells nothing on
    // Windows, and would leave them grey. Without that row, both wait for the
    // player's next choice.
    m_btnInstall->Disable();
    m_btnRemove->Disable();
    if (m_lstMods->SelectSlotQuietly(slot)) FollowRow(m_lstMods->GetSelectionMark());
    TellOutcome(action, modName, outcome);
    // The button just pressed is disabled now; left with the focus, it
    // would keep Escape and Enter from the dialog.
    m_lstMods->SetFocus();
}

std::string CVeldrinInsDlg::ModNameOfSlot(int slot) const {
    // Taken before the change: its rescan reloads the catalogue.
    return slot >= 0 && slot < m_nModCount ? m_strModName[slot] : std::string();
}

void CVeldrinInsDlg::TellOutcome(ChangeAction action, const std::string& modName, const ChangeOutcome& outcome) {
    ChangeReport report = ReportChange(action, modName, outcome, CanRestartAsAdministrator(), kLinuxHost);
    if (report.text.empty()) return;  // the list shows a success
    long buttons = report.offersAdminRestart ? wxYES_NO : wxOK;
    long icon = report.warning ? wxICON_WARNING : wxICON_INFORMATION;
    int answer = wxMessageBox(NarrowToWx(report.text), kMessageCaption, buttons | icon, this);
    if (!report.offersAdminRestart || answer != wxYES) return;
    // The new installer must find the place free that this one holds.
    ReleaseSingleInstance();
    if (RestartAsAdministrator(this)) {
        Close();
        return;
    }
    ClaimSingleInstance();
}

void CVeldrinInsDlg::OnAbout(wxCommandEvent&) { ShowAboutBox(); }

void CVeldrinInsDlg::OnCharHook(wxKeyEvent& event) {
    // GTK's list takes Enter to activate its current row; in this dialog
    // Enter presses the default button, Exit, wherever the focus is but on
    // another push button.
    int key = event.GetKeyCode();
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() && FocusIsOnList()) {
        if (auto* exit = dynamic_cast<wxButton*>(GetDefaultItem())) {
            wxCommandEvent press(wxEVT_BUTTON, exit->GetId());
            press.SetEventObject(exit);
            exit->ProcessWindowEvent(press);
            return;
        }
    }
    event.Skip();
}

bool CVeldrinInsDlg::FocusIsOnList() const {
    // The generic list gives the focus to a window of its own inside it.
    for (wxWindow* window = FindFocus(); window; window = window->GetParent())
        if (window == m_lstMods) return true;
    return false;
}

void CVeldrinInsDlg::OnShow(wxShowEvent& event) {
    event.Skip();
    if (!event.IsShown() || m_strTellAtShow.empty()) return;
    const std::string text = m_strTellAtShow;
    m_strTellAtShow.clear();
    // After the show has been handled: the box belongs over a dialog the
    // player can already see, whose Browse button it names.
    CallAfter([this, text] { wxMessageBox(NarrowToWx(text), kMessageCaption, wxOK | wxICON_INFORMATION, this); });
}

wxString CVeldrinInsDlg::BrowseStart() const {
    // A real folder, where a path typed in the chooser is taken: the game
    // directory, else where the installer was started, else home.
    for (const std::string& folder : {std::string(g_szGameDir), PathToNarrow(m_edtGameDir->GetValue()).narrow,
                                      m_strStartFolder, platform::HomeDirectory()})
        if (!folder.empty() && platform::IsDirectory(folder.c_str())) return NarrowToWx(folder);
    return wxString();
}

void CVeldrinInsDlg::OnBrowse(wxCommandEvent&) {
    wxString chosen = m_fnChooseFolder(BrowseStart());
    if (chosen.empty()) return;
    const platform::NarrowPath path = PathToNarrow(chosen);
    // A folder this Windows' code page cannot name: said as it is, rather
    // than as a folder without the package.
    if (!path.unheld.empty()) {
        wxMessageBox(wxString::FromUTF8(UnheldFolderText(path.utf8, path.unheld, platform::AnsiCodePage())),
                     kMessageCaption, wxOK | wxICON_WARNING, this);
        return;
    }
    std::string folder = path.narrow;
    // The package folder itself stands for the game folder it lies in.
    if (!layout::HoldsPackage(folder)) {
        const std::string parent = layout::GameDirectoryAbovePackage(folder);
        if (!parent.empty()) folder = parent;
    }
    if (!layout::HoldsPackage(folder)) {
        wxMessageBox(NarrowToWx(RefusedFolderText(folder)), kMessageCaption, wxOK | wxICON_WARNING, this);
        return;
    }
    // The folder serves for this run only: the registry keeps what the
    // game's set-up wrote there.
    SetGameDirectory(folder);
    m_btnInstall->Disable();
    m_btnRemove->Disable();
    m_chkCopyWpnConfigs->Hide();
    const std::string text = StartText(folder);
    if (!text.empty()) wxMessageBox(NarrowToWx(text), kMessageCaption, wxOK | wxICON_INFORMATION, this);
}
