// The main dialog in a real window, built from the real template, against a
// copy of the sample game in a temporary folder: what it shows at the start,
// selecting and sorting rows, Install and Remove through the buttons, the
// boxes that tell what went wrong, Browse, and the keys that close it.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dirdlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/uiaction.h>
#ifdef __WXGTK__
#include <dlfcn.h>
#endif
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>  // GetModuleFileNameW, MAX_PATH
#endif

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "platform/file_system.h"
#include "core/game_folder.h"
#include "platform/game_dir.h"
#include "ui/admin_restart.h"
#include "ui/narrow_text.h"
#include "ui/resource.h"
#include "core/translations.h"

namespace {

using test::DialogState;
using test::DialogTest;
using test::FolderOf;
using test::Pump;
using test::PumpUntil;
using test::Row;

// Answers every message box instead of showing it, as the player would with
// the given button, and keeps what each one said. Boxes that a test expects
// with wxTEST_DIALOG (the start-up question) go to that test's hook first.
class MessageBoxes : public wxModalDialogHook {
public:
    explicit MessageBoxes(int answer = wxID_OK) : answer_(answer) { Register(); }
    ~MessageBoxes() override { Unregister(); }

    struct Box {
        wxString caption, message;
        long buttons, icon;
        wxWindow* owner;
        bool ownerShown;
    };
    std::vector<Box> seen;
    bool showForReal = false;  // records the boxes and lets them show

protected:
    int Enter(wxDialog* dialog) override {
        auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        if (!box) return wxID_NONE;
        long style = box->GetMessageDialogStyle();
        seen.push_back({box->GetTitle(), box->GetMessage(), style & (wxOK | wxYES_NO | wxCANCEL), style & wxICON_MASK,
                        box->GetParent(), box->GetParent() && box->GetParent()->IsShown()});
        return showForReal ? wxID_NONE : answer_;
    }
    void Exit(wxDialog*) override {}

private:
    int answer_;
};

#ifdef __WXMSW__
// Where VELDRIN_SHOW_IN_USE_BOX is set, the box the player meets when the game
// holds the bot's library is shown for real for three seconds, so that
// scripts/test-windows can take its picture, and then answered with OK.
VOID CALLBACK AnswerShownBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", L"VeldrinIns");
    if (!box) return;  // not shown yet: the timer fires again
    KillTimer(nullptr, timer);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
}
#endif

// A path inside the game folder as the player is told it: relative, with the
// host's separators.
std::string ForPlayer(std::string path) {
    if (test::HostIsWindows()) std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

#ifdef __WXGTK__
// What the screen shows in a rectangle, in screen coordinates.
wxImage ScreenShot(const wxRect& rect) {
    wxBitmap bitmap(rect.GetSize());
    {
        wxMemoryDC memory(bitmap);
        wxScreenDC screen;
        memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    }
    return bitmap.ConvertToImage();
}

wxColour PixelAt(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}
#endif

const std::vector<Row> kStartRows = {
    {"Counter-Strike", "installed", 100},        {"Team Fortress Classic", "not installed", 201},
    {"Deathmatch Classic", "need upgrade", 302}, {"Opposing Force", "not installed", 203},
    {"Day of Defeat", "installed", 104},         {"Half-Life Deathmatch", "not installed", 206},
    {"Front Line Force", "not installed", 207},  {"The Specialists", "not installed", 208},
};

TEST_F(DialogTest, StartsWithTheDefaultsAndTheModsOfTheGameFolderFoundAboveThePackage) {
    // One more mod, whose name is longer than the list can show.
    std::string longName = "A Mod Whose Name Runs On Far Longer Than The List Can Show";
    while (longName.size() < 100) longName += " And On";
    longName.resize(100);
    std::string catalogue = test::ReadBytes(game_ / "Veldrin/veldrinins.ini");
    test::WriteBytes(game_ / "Veldrin/veldrinins.ini", catalogue + test::Crlf(longName + "\nlongname\nlongname\n"));
    test::WriteBytes(game_ / "longname/liblist.gam", test::Crlf("game \"Long\"\ngamedll \"dlls\\longname.dll\"\n"));
    test::WriteBytes(game_ / "longname/dlls/longname.dll", "the mod's own library");
    std::vector<Row> startRows = kStartRows;
    startRows.push_back({longName.substr(0, 79), "not installed", 209});

    Start();
    CVeldrinInsDlg& d = *dlg_;

    EXPECT_TRUE(d.m_chkCopyCfg->GetValue());
    EXPECT_TRUE(d.m_chkCopyWaypoints->GetValue());
    EXPECT_TRUE(d.m_chkCopyNames->GetValue());
    EXPECT_TRUE(d.m_chkCopyChat->GetValue());
    EXPECT_TRUE(d.m_chkCopyWpnConfigs->GetValue());
    EXPECT_FALSE(d.m_chkCopyWpnConfigs->IsShown());
    EXPECT_FALSE(d.m_stcDumping->IsShown());
    EXPECT_FALSE(d.m_btnInstall->IsEnabled());
    EXPECT_FALSE(d.m_btnRemove->IsEnabled());
    EXPECT_TRUE(d.FindWindow(IDC_BROWSE)->IsEnabled());
    // Without a window manager the dialog is active only under the pointer.
    wxUIActionSimulator().MouseMove(d.ClientToScreen(wxPoint(4, 4)));
    Pump(200);
    wxWindow* focus = wxWindow::FindFocus();
    EXPECT_EQ(focus, d.FindWindow(wxID_OK))
        << "Exit, the first control, has the focus, not "
        << (focus ? focus->GetLabel() + "/" + focus->GetClassInfo()->GetClassName() : "none");

    EXPECT_EQ(game_.string(), std::string(g_szGameDir));
    EXPECT_EQ(game_.string(), d.m_edtGameDir->GetValue().ToStdString());
    EXPECT_FALSE(d.m_edtGameDir->IsEditable());
    EXPECT_TRUE(fs::equivalent(game_ / "Veldrin" / "veldrin.dll", platform::ResolvePath(d.m_strSourceDll.c_str())))
        << d.m_strSourceDll;
    EXPECT_EQ(test::kPackageDate, d.m_nSourceDate);

    EXPECT_EQ(startRows, Rows()) << "catalogue order, Ricochet absent, the long name cut to 79 characters";
    EXPECT_EQ(10, d.m_nModCount);
    EXPECT_EQ(-1, List().GetSelectionMark());
    EXPECT_EQ(0, d.SelectedItemData());

    ASSERT_EQ(2, List().GetColumnCount());
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT);
    List().GetColumn(0, column);
    EXPECT_EQ("Mod name", column.GetText());
    EXPECT_EQ(wxLIST_FORMAT_LEFT, column.GetAlign());
    List().GetColumn(1, column);
    EXPECT_EQ("Status", column.GetText());
    int w = List().GetSize().x - 4;
    EXPECT_EQ(w - w / 3, List().GetColumnWidth(0));
    EXPECT_EQ(w / 3, List().GetColumnWidth(1));
    EXPECT_FALSE(fs::exists(root_ / "Veldrin.log"));
    EXPECT_FALSE(fs::exists(game_ / "Veldrin" / "Veldrin.log"));

    // In the test language (tests/support/test_language.po) the template's
    // labels, the column titles and the status words are its own; the
    // English comes back with the English.
    dlg_->Hide();
    dlg_.reset();
    UsePlayersLanguage({"xx", "qaa_YY.UTF-8"});
    Start();
    UsePlayersLanguage({"C"});
    EXPECT_EQ(wxString::FromUTF8("&Installér"), dlg_->m_btnInstall->GetLabel());
    List().GetColumn(0, column);
    EXPECT_EQ("Mod-Name", column.GetText());
    EXPECT_EQ(wxString::FromUTF8("installéré"), List().GetItemText(RowOfSlot(0), 1));
    EXPECT_EQ("not installed", List().GetItemText(RowOfSlot(1), 1)) << "a text the catalogue lacks stays English";
}

TEST_F(DialogTest, ReadsTheGameDirectoryFromTheWineRegistryThroughItsDriveLetter) {
    if (test::HostIsWindows())
        GTEST_SKIP() << "Windows reads its own registry: game_dir_win32_test.cpp and scripts/windows-screenshot";
    // The game lies on the prefix's drive C:, which is the folder cdrive.
    fs::path cdrive = root_ / "cdrive";
    fs::create_directories(cdrive / "Games");
    fs::rename(game_, cdrive / "Games" / "Half-Life");
    game_ = cdrive / "Games" / "Half-Life";
    fs::create_directories(root_ / "wine" / "dosdevices");
    fs::create_directory_symlink(cdrive, root_ / "wine" / "dosdevices" / "c:");
    test::WriteBytes(root_ / "wine" / "system.reg",
                     "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
                     "[Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE] 1700000000\n#time=1d9a2b3c4d5e6f7\n"
                     "\"Directory\"=\"C:\\\\Games\\\\Half-Life\"\n\n");

    StartFromHere();  // the working directory is no package folder

    EXPECT_EQ("C:\\Games\\Half-Life", dlg_->m_edtGameDir->GetValue().ToStdString());
    EXPECT_EQ("C:\\Games\\Half-Life", std::string(g_szGameDir));
    EXPECT_EQ(test::kPackageDate, dlg_->m_nSourceDate);
    EXPECT_EQ(kStartRows, Rows());
}

// Without a game directory, or with one that lacks the package, the dialog
// still opens; once it shows, a box says how to go on.
TEST_F(DialogTest, WithoutAGameDirectoryTheListIsEmptyAndABoxSaysToBrowse) {
    const std::string howToGoOn =
        "\n\nPress Browse and choose the Half-Life folder that holds the Veldrin package folder, the folder named "
        "Veldrin with veldrinins.ini in it.";
    if (!test::HostIsWindows()) {
        // A Steam installation's Half-Life folder, without the package.
        fs::path steamGame = root_ / ".local/share/Steam/steamapps/common/Half-Life";
        fs::create_directories(steamGame);
        MessageBoxes boxes;
        StartFromHere();
        ASSERT_TRUE(PumpUntil([&] { return boxes.seen.size() == 1; }));
        EXPECT_EQ("The Half-Life folder\n" + steamGame.string() + "\ndoes not hold the Veldrin package." + howToGoOn,
                  boxes.seen[0].message.ToStdString());
        EXPECT_EQ(steamGame.string(), dlg_->m_edtGameDir->GetValue().ToStdString()) << "the field shows what was found";
        dlg_.reset();
        fs::remove_all(root_ / ".local");
    }
#ifdef __WXMSW__
    else {
        // The registry names a Half-Life folder in Cyrillic, then one in
        // Chinese, without the package: the field shows each exactly, and
        // the box says what the Steam case says; or, where the code page (of
        // an older Windows, which ignores the program's asking for UTF-8)
        // cannot hold the name, why it cannot be used rather than calling it
        // a folder without the package.
        const wchar_t* key = L"Software\\Sierra OnLine\\Setup\\HALFLIFE";
        for (const std::wstring name : {L"\u0418\u0433\u0440\u044B", L"\u6E38\u620F"}) {
            const std::wstring folder = L"C:\\" + name + L"\\Half-Life";
            SCOPED_TRACE(wxString(folder).utf8_string());
            fs::create_directories(fs::path(folder));
            HKEY handle = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0,
                                                     KEY_WRITE | KEY_WOW64_32KEY, nullptr, &handle, nullptr));
            RegSetValueExW(handle, L"directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
            RegCloseKey(handle);
            MessageBoxes boxes;
            StartFromHere();
            ASSERT_TRUE(PumpUntil([&] { return boxes.seen.size() == 1; }));
            EXPECT_EQ(folder, dlg_->m_edtGameDir->GetValue().ToStdWstring()) << "the field shows the path exactly";
            if (PathToNarrow(folder).unheld.empty()) {
                EXPECT_EQ(
                    wxString("The Half-Life folder\n") + folder + "\ndoes not hold the Veldrin package." + howToGoOn,
                    boxes.seen[0].message);
            } else {
                EXPECT_TRUE(boxes.seen[0].message.StartsWith(wxString("The folder\n") + folder +
                                                             "\ncannot be used: its name holds \"" + name + "\""))
                    << boxes.seen[0].message;
                EXPECT_EQ("", std::string(g_szGameDir));
            }
            dlg_.reset();
            fs::remove_all(fs::path(folder).parent_path());
        }
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY, 0);
    }
#endif

    MessageBoxes boxes;
    StartFromHere();
    ASSERT_TRUE(PumpUntil([&] { return !boxes.seen.empty(); }));
    Pump();
    ASSERT_EQ(1u, boxes.seen.size());
    EXPECT_EQ("VeldrinIns found no Half-Life folder." + howToGoOn, boxes.seen[0].message.ToStdString());
    EXPECT_EQ("VeldrinIns", boxes.seen[0].caption);
    EXPECT_EQ(wxOK, boxes.seen[0].buttons);
    EXPECT_EQ(wxICON_INFORMATION, boxes.seen[0].icon);
    EXPECT_EQ(dlg_.get(), boxes.seen[0].owner);
    EXPECT_TRUE(boxes.seen[0].ownerShown) << "the dialog shows first";
    EXPECT_TRUE(dlg_->IsShown());
    EXPECT_TRUE(dlg_->FindWindow(IDC_BROWSE)->IsEnabled());
    EXPECT_EQ("", dlg_->m_edtGameDir->GetValue());
#ifdef __WXGTK__
    // The field looks read-only, as on Windows: inside its border only the
    // dialog's ground, and no caret even with the focus, however long one
    // looks (a caret blinks).
    dlg_->m_edtGameDir->SetFocus();
    wxColour ground = PixelAt(ScreenShot(wxRect(dlg_->ClientToScreen(wxPoint(4, 4)), wxSize(1, 1))), 0, 0);
    wxRect inside = dlg_->m_edtGameDir->GetScreenRect().Deflate(4);
    for (int shot = 0; shot < 4; ++shot) {
        Pump(300);
        wxImage image = ScreenShot(inside);
        int others = 0;
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x) others += PixelAt(image, x, y) != ground;
        EXPECT_EQ(0, others) << "shot " << shot << ": pixels other than the ground " << ground.GetAsString();
    }
#endif
    EXPECT_EQ(0, List().GetItemCount());
    ClickHeader(0);
    ClickHeader(1);
    EXPECT_EQ(0, List().GetItemCount());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());

    // Browse opens on a real folder, where a typed path is taken: the one the
    // installer was started in.
    std::vector<wxString> starts;
    dlg_->m_fnChooseFolder = [&starts](const wxString& start) {
        starts.push_back(start);
        return wxString();
    };
    ClickButton(dlg_->FindWindow(IDC_BROWSE));
    EXPECT_EQ(std::vector<wxString>{wxString(fs::current_path().string())}, starts);
}

TEST_F(DialogTest, SelectingARowEnablesTheButtonItsStatusCallsFor) {
    Start();
    struct Case {
        int slot;
        bool install;
    } cases[] = {
        {test::kTfc, true}, {test::kCounterStrike, false}, {test::kDmc, true}, {test::kDod, false}, {test::kTs, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(FolderOf(c.slot));
        Select(RowOfSlot(c.slot));
        EXPECT_EQ(c.install, dlg_->m_btnInstall->IsEnabled());
        EXPECT_EQ(!c.install, dlg_->m_btnRemove->IsEnabled());
        EXPECT_EQ(RowOfSlot(c.slot), List().GetSelectionMark());
    }
}

TEST_F(DialogTest, AClickOnARowSelectsItAndMarksIt) {
    Start();
    long row = RowOfSlot(test::kCounterStrike);
    ClickRow(row);
    EXPECT_EQ(row, SelectedRow());
    EXPECT_EQ(row, List().GetSelectionMark());
    EXPECT_EQ(100, dlg_->SelectedItemData());
    EXPECT_TRUE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());

    row = RowOfSlot(test::kOpFor);
    ClickRow(row);
    EXPECT_EQ(row, List().GetSelectionMark());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
}

TEST_F(DialogTest, TheWeaponBoxIsOfferedForSlotSevenOnly) {
    Start();
    Select(RowOfSlot(test::kFrontLine));
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown());
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->GetValue()) << "still ticked from start-up";
    Select(RowOfSlot(test::kTs));  // slot 8
    EXPECT_FALSE(dlg_->m_chkCopyWpnConfigs->IsShown());
    Select(RowOfSlot(test::kFrontLine));
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown());
    Select(RowOfSlot(test::kCounterStrike));  // slot 0
    EXPECT_FALSE(dlg_->m_chkCopyWpnConfigs->IsShown());
}

TEST_F(DialogTest, ANotificationNamingNoRowChangesNothing) {
    Start();
    Select(RowOfSlot(test::kFrontLine));
    wxListEvent event(wxEVT_LIST_ITEM_FOCUSED, IDC_MOD_LIST);
    event.m_itemIndex = -1;
    event.SetEventObject(&List());
    List().GetEventHandler()->ProcessEvent(event);
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown());
}

TEST_F(DialogTest, HeaderClicksSortByStatusAndKeepTheSelection) {
    Start();
    long dmc = RowOfSlot(test::kDmc);
    ClickRow(dmc);
    ASSERT_EQ(dmc, List().GetSelectionMark());

    const std::vector<int> installedFirst = {1, 1, 2, 2, 2, 2, 2, 3};
    const std::vector<int> upgradeFirst = {3, 2, 2, 2, 2, 2, 1, 1};
    ClickHeader(0);  // "Mod name"
    EXPECT_TRUE(PumpUntil([&] { return Statuses() == installedFirst; }));
    EXPECT_EQ(installedFirst, Statuses());
    ClickHeader(0);
    EXPECT_EQ(installedFirst, Statuses()) << "a second click on the same header keeps the order";
    EXPECT_EQ(RowOfSlot(test::kDmc), SelectedRow());
    EXPECT_EQ(RowOfSlot(test::kDmc), List().GetSelectionMark());
    EXPECT_EQ(302, dlg_->SelectedItemData());

    ClickHeader(1);  // "Status"
    EXPECT_TRUE(PumpUntil([&] { return Statuses() == upgradeFirst; }));
    EXPECT_EQ(upgradeFirst, Statuses());
    EXPECT_EQ(0, RowOfSlot(test::kDmc));
    EXPECT_EQ(0, SelectedRow());
    EXPECT_EQ(0, List().GetSelectionMark());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled()) << "the buttons still follow the selected row";
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());

    // Every row keeps its texts and item data; only the order changed.
    std::vector<Row> sorted = Rows();
    for (const Row& row : kStartRows) EXPECT_NE(sorted.end(), std::find(sorted.begin(), sorted.end(), row)) << row;
}

TEST_F(DialogTest, InstallThroughTheButtonCopiesTheTickedExtrasAndRebuildsTheRows) {
    Start();
    dlg_->m_chkCopyChat->SetValue(false);
    ClickRow(RowOfSlot(test::kFrontLine));
    ASSERT_TRUE(dlg_->m_btnInstall->IsEnabled());
    int notifications = 0;
    auto count = [&notifications](wxListEvent& event) {
        ++notifications;
        event.Skip();
    };
    for (auto type : {wxEVT_LIST_ITEM_SELECTED, wxEVT_LIST_ITEM_DESELECTED, wxEVT_LIST_ITEM_FOCUSED})
        dlg_->Bind(type, count);
    MessageBoxes boxes;
    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ(0, notifications) << "rebuilding the rows notifies nothing";
    EXPECT_EQ(test::HostIsWindows() ? 0u : 1u, boxes.seen.size()) << "on Linux, the note of the Linux server";
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown()) << "as the last notification left it";

    fs::path mod = game_ / "frontline";
    EXPECT_NE(std::string::npos, test::ReadBytes(mod / "liblist.gam").find("gamedll \"dlls\\veldrin.dll\"\r\n"));
    EXPECT_EQ(test::ReadBytes(game_ / "Veldrin/veldrin.dll"), test::ReadBytes(mod / "dlls/veldrin.dll"));
    EXPECT_TRUE(fs::exists(mod / "maps/ftl_outpost.vwp"));
    EXPECT_TRUE(fs::exists(mod / "Veldrin_names.txt"));
    EXPECT_TRUE(fs::exists(mod / "Veldrin.cfg"));
    EXPECT_TRUE(fs::exists(mod / "bot_weapon_config.cfg")) << "slot 7 with its box ticked";
    EXPECT_FALSE(fs::exists(mod / "Veldrin_chat.txt")) << "its box was cleared";

    std::vector<Row> expected = kStartRows;
    expected[6] = {"Front Line Force", "installed", 107};
    EXPECT_EQ(expected, Rows()) << "rebuilt in catalogue order";
    // The changed mod's row is the current and selected one again, so that
    // the arrow keys go on from it, and the buttons follow it.
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_TRUE(dlg_->m_btnRemove->IsEnabled());
    const long changed = RowOfSlot(test::kFrontLine);
    EXPECT_EQ(changed, SelectedRow());
    EXPECT_EQ(changed, List().GetSelectionMark());
    EXPECT_EQ(changed, List().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
    EXPECT_TRUE(PumpUntil([&] { return dlg_->FocusIsOnList(); }));
}

TEST_F(DialogTest, InstallOverAnOlderCopyMakesTheModCurrent) {
    Start();
    Select(RowOfSlot(test::kDmc));
    MessageBoxes linuxNote;
    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ("installed", Rows()[2].status);
    EXPECT_EQ(102, Rows()[2].data);
    EXPECT_FALSE(fs::exists(game_ / "dmc" / "bot_weapon_config.cfg")) << "not slot 7";
}

TEST_F(DialogTest, RemoveThroughTheButtonRestoresTheModsOwnLibrary) {
    Start();
    ClickRow(RowOfSlot(test::kDod));
    ASSERT_TRUE(dlg_->m_btnRemove->IsEnabled());
    ClickAction(dlg_->m_btnRemove);

    EXPECT_NE(std::string::npos, test::ReadBytes(game_ / "dod/liblist.gam").find("gamedll \"dlls\\dod.dll\"\r\n"));
    EXPECT_FALSE(fs::exists(game_ / "dod/dlls/veldrin.dll"));
    std::vector<Row> expected = kStartRows;
    expected[4] = {"Day of Defeat", "not installed", 204};
    EXPECT_EQ(expected, Rows());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled()) << "as the row, selected again, calls for";
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
}

// A change that fails, or leaves extras behind, is told in a box owned by the
// dialog: what was asked, what was left as it was, the file and the system's
// reason, and what to do. A success tells nothing.
TEST_F(DialogTest, WhatAChangeCouldNotDoIsToldInABox) {
    using platform::FileError;
    using platform::FileOp;
    auto readOnly = [this](const char* file) {
        return [path = game_ / file] { fs::permissions(path, fs::perms::owner_read | fs::perms::group_read); };
    };
    auto failing = [](FileOp failingOp, const char* name, FileError as) {
        return [=] {
            platform::SetFaultHook(
                [=](FileOp op, const std::string& path) {
                    return op == failingOp && path.find(name) != std::string::npos;
                },
                as);
        };
    };
    struct Case {
        const char* what;
        int slot;
        bool install;
        std::function<void()> breakIt;
        std::vector<std::string> told;  // parts of the box's text, in order; none: no box
        const char* statusAfter;
    };
    std::shared_ptr<void> held;
    std::vector<Case> cases = {
        {"a read-only liblist.gam",
         test::kTfc,
         true,
         readOnly("tfc/liblist.gam"),
         {"Veldrin could not be installed in Team Fortress Classic: the mod was left as it was.",
          ForPlayer("tfc/liblist.gam") + ": the file is read-only", "Clear the file's read-only mark"},
         "not installed"},
        {"a library in use",
         test::kOpFor,
         true,
         failing(FileOp::Copy, "veldrin.dll", FileError::InUse),
         {"Veldrin could not be installed in Opposing Force: the mod was left as it was.",
          ForPlayer("gearbox/dlls/veldrin.dll") + ": " + platform::ReasonText(FileError::InUse),
          "Close Half-Life and any server of this mod"},
         "not installed"},
        {"a read-only liblist.gam on Remove",
         test::kDod,
         false,
         readOnly("dod/liblist.gam"),
         {"Veldrin could not be removed from Day of Defeat: the mod was left as it was.",
          ForPlayer("dod/liblist.gam") + ": the file is read-only"},
         "installed"},
        // A script removed the bot after the rows were read: Remove, still
        // enabled, decides again and changes nothing; the rows are read again.
        {"a row a script changed since",
         test::kCounterStrike,
         false,
         [this] {
             test::WriteBytes(game_ / "cstrike/liblist.gam",
                              test::Crlf("game \"Counter-Strike\"\ngamedll \"dlls\\mp.dll\"\n"));
         },
         {"Veldrin could not be removed from Counter-Strike: the mod was left as it was.",
          "cstrike: its status is now \"not installed\"", "The list has been read again"},
         "not installed"},
        {"an extra on a full disk",
         test::kFrontLine,
         true,
         failing(FileOp::Copy, "Veldrin.cfg", FileError::DiskFull),
         {"Veldrin was installed in Front Line Force, but these extras could not be copied:\n" +
              ForPlayer("frontline/Veldrin.cfg") + "\n",
          ForPlayer("frontline/Veldrin.cfg") + ": " + platform::ReasonText(FileError::DiskFull),
          "copy them by hand from the Veldrin folder, or press Remove and then Install"},
         "installed"},
        // Told on Linux only: there a server, or the game run natively, loads
        // the gamedll_linux line's library.
        {"a success", test::kHalfLife, true, [] {},
         test::HostIsWindows()
             ? std::vector<std::string>{}
             : std::vector<std::string>{"Veldrin was installed in Half-Life Deathmatch.", "A Linux server",
                                        "valve/dlls/hl_i386.so", "gamedll_linux line", "no Linux library of the bot"},
         "installed"},
    };
    // A running game holds the library it loaded, shared with nobody: on
    // Windows the box says so and offers to close the game, not an
    // administrator's rights that could not help.
    if (test::HostIsWindows())
        cases.push_back({"a library the game holds",
                         test::kDmc,
                         true,
                         [&] { held = test::HoldWithoutSharing(game_ / "dmc/dlls/veldrin.dll"); },
                         {"Veldrin could not be installed in Deathmatch Classic: the mod was left as it was.",
                          ForPlayer("dmc/dlls/veldrin.dll") + ": " + platform::ReasonText(FileError::InUse),
                          "Close Half-Life and any server of this mod"},
                         "need upgrade"});

    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClickRow(RowOfSlot(c.slot));
        c.breakIt();
        MessageBoxes boxes;
#ifdef __WXMSW__
        if (held && std::getenv("VELDRIN_SHOW_IN_USE_BOX")) {
            boxes.showForReal = true;
            SetTimer(nullptr, 0, 3000, AnswerShownBox);
        }
#endif
        ClickAction(c.install ? dlg_->m_btnInstall : dlg_->m_btnRemove);
        platform::SetFaultHook({});
        held.reset();
        ASSERT_EQ(c.told.empty() ? 0u : 1u, boxes.seen.size());
        EXPECT_EQ(c.statusAfter, Rows()[RowOfSlot(c.slot)].status);
        if (c.told.empty()) continue;
        const MessageBoxes::Box& box = boxes.seen.front();
        EXPECT_EQ("VeldrinIns", box.caption);
        EXPECT_EQ(wxOK, box.buttons);
        EXPECT_EQ(std::string(c.what) == "a success" ? wxICON_INFORMATION : wxICON_WARNING, box.icon);
        EXPECT_EQ(dlg_.get(), box.owner);
        size_t at = 0;
        for (const std::string& part : c.told) {
            at = box.message.ToStdString().find(part, at);
            if (at == std::string::npos) {
                ADD_FAILURE() << "\"" << part << "\" is missing or out of place in:\n" << box.message;
                break;
            }
        }
    }
    // In the player's language the file layer's reason is the player's too,
    // while the trace keeps the English one.
    {
        SCOPED_TRACE("a library that stays, in the test language, with the trace on");
        const fs::path library = game_ / "valve/dlls/veldrin.dll";
        fs::permissions(library, fs::perms::owner_read | fs::perms::group_read);
        UsePlayersLanguage({"qaa"});
        dlg_->m_bLog = 1;
        ClickRow(RowOfSlot(test::kHalfLife));
        MessageBoxes boxes;
        ClickAction(dlg_->m_btnRemove);
        dlg_->m_bLog = 0;
        UsePlayersLanguage({"C"});
        fs::permissions(library, fs::perms::owner_write, fs::perm_options::add);
        ASSERT_EQ(1u, boxes.seen.size());
        EXPECT_NE(std::string::npos, boxes.seen.front().message.utf8_string().find(ForPlayer("valve/dlls/veldrin.dll") +
                                                                                   ": Datei nur zum Lesen"))
            << boxes.seen.front().message;
        const std::string log = test::ReadBytes(fs::current_path() / "Veldrin.log");
        EXPECT_NE(std::string::npos, log.find(": the file is read-only\r\n")) << log;
        EXPECT_EQ(std::string::npos, log.find("Datei nur zum Lesen")) << log;
    }
    // Another installer holds the game folder: the change waits for it, a
    // few seconds, under a busy cursor, then says so.
    {
        ClickRow(RowOfSlot(test::kOpFor));
        auto other = platform::FileLock::Acquire(game_.string().c_str(), 0);
        ASSERT_TRUE(other);
        bool busyCursor = false;
        platform::SetFaultHook([&busyCursor](FileOp, const std::string&) {
            busyCursor = busyCursor || wxIsBusy();
            return false;
        });
        MessageBoxes boxes;
        ClickAction(dlg_->m_btnInstall);
        platform::SetFaultHook({});
        EXPECT_TRUE(busyCursor);
        EXPECT_FALSE(wxIsBusy());
        ASSERT_EQ(1u, boxes.seen.size());
        const std::string told = boxes.seen[0].message.ToStdString();
        EXPECT_NE(std::string::npos, told.find(game_.string() + ": another installer holds its lock")) << told;
        EXPECT_NE(std::string::npos, told.find("Another installer is changing the folder named above")) << told;
        EXPECT_EQ(told.find("holds its lock"), told.rfind("holds its lock")) << told;
    }
    EXPECT_TRUE(fs::exists(game_ / "dod/dlls/veldrin.dll")) << "Remove kept the library its liblist.gam names";
    EXPECT_TRUE(fs::exists(game_ / "cstrike/dlls/veldrin.dll")) << "a Remove the mod no longer offered was made";
    EXPECT_FALSE(fs::exists(game_ / "frontline/Veldrin.cfg"));
    EXPECT_TRUE(fs::exists(game_ / "frontline/Veldrin_names.txt")) << "the other extras were copied";
    // Windows cannot delete a read-only file with its folder.
    for (const char* file : {"tfc/liblist.gam", "dod/liblist.gam"})
        fs::permissions(game_ / file, fs::perms::owner_write, fs::perm_options::add);
}

#ifdef __WXGTK__
// GTK 3 draws message boxes without an icon; the program gives each box the
// icon of its kind, as the player sees it on Windows.
TEST_F(DialogTest, BoxesShowTheIconOfTheirKind) {
    auto getImage = reinterpret_cast<void* (*)(void*)>(dlsym(RTLD_DEFAULT, "gtk_message_dialog_get_image"));
    auto iconName =
        reinterpret_cast<void (*)(void*, const char**, int*)>(dlsym(RTLD_DEFAULT, "gtk_image_get_icon_name"));
    auto respond = reinterpret_cast<void (*)(void*, int)>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"));
    ASSERT_TRUE(getImage && iconName && respond);
    Start();
    const struct {
        long style;
        const char* icon;
    } kinds[] = {{wxICON_EXCLAMATION, "dialog-warning"},
                 {wxICON_WARNING, "dialog-warning"},
                 {wxICON_INFORMATION, "dialog-information"}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.icon);
        wxMessageDialog box(dlg_.get(), "A box", "VeldrinIns", wxOK | kind.style);
        std::string shown = "(none)";
        dlg_->CallAfter([&] {
            void* image = getImage(box.GetHandle());
            const char* name = nullptr;
            if (image) iconName(image, &name, nullptr);
            shown = name ? name : "(no icon name)";
            respond(box.GetHandle(), -5);  // GTK_RESPONSE_OK
        });
        box.ShowModal();
        EXPECT_EQ(kind.icon, shown);
    }
}
#endif

#ifdef __WXMSW__
// Windows denies a change to a process that is not elevated: the box asks
// whether to start the installer again as administrator, in the same working
// directory, and Yes closes this one once the new one has started.
TEST_F(DialogTest, DeniedAccessOffersToStartAgainAsAdministrator) {
    std::vector<AdminRestartRequest> requests;
    SetAdminRestartSystem({[] { return false; },
                           [&requests](const AdminRestartRequest& request) {
                               requests.push_back(request);
                               return true;
                           }});
    fs::permissions(game_ / "tfc/liblist.gam", fs::perms::owner_read | fs::perms::group_read);
    Start();
    for (int answer : {wxID_NO, wxID_YES}) {
        SCOPED_TRACE(answer == wxID_YES ? "Yes" : "No");
        ClickRow(RowOfSlot(test::kTfc));
        MessageBoxes boxes(answer);
        ClickAction(dlg_->m_btnInstall);
        ASSERT_EQ(1u, boxes.seen.size());
        EXPECT_EQ(wxYES_NO, boxes.seen[0].buttons);
        EXPECT_TRUE(boxes.seen[0].message.EndsWith("Start VeldrinIns again as administrator now?"))
            << boxes.seen[0].message;
        EXPECT_EQ(answer == wxID_YES, PumpUntil([&] { return !dlg_->IsShown(); }, answer == wxID_YES ? 5000 : 300));
    }
    ASSERT_EQ(1u, requests.size()) << "only Yes starts it";
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    EXPECT_EQ(L"runas", requests[0].verb);
    EXPECT_EQ(std::wstring(program), requests[0].file);
    EXPECT_EQ(fs::current_path().wstring(), requests[0].directory);

    // Elevated already, there is nothing to offer.
    SetAdminRestartSystem({[] { return true; }, {}});
    dlg_->Show();
    Pump();
    ClickRow(RowOfSlot(test::kTfc));
    MessageBoxes boxes;
    ClickAction(dlg_->m_btnInstall);
    ASSERT_EQ(1u, boxes.seen.size());
    EXPECT_EQ(wxOK, boxes.seen[0].buttons);
    fs::permissions(game_ / "tfc/liblist.gam", fs::perms::owner_write, fs::perm_options::add);
}
#endif

TEST_F(DialogTest, InstallAndRemoveActOnTheMarkedRowAfterASort) {
    Start();
    Select(RowOfSlot(test::kOpFor));
    ClickHeader(1);  // the row moves; the mark goes with it
    ASSERT_TRUE(PumpUntil([&] { return Statuses().front() == 3; }));
    MessageBoxes linuxNote;
    ClickAction(dlg_->m_btnInstall);
    EXPECT_NE(std::string::npos, test::ReadBytes(game_ / "gearbox/liblist.gam").find("dlls\\veldrin.dll"));
    EXPECT_EQ(std::string::npos, test::ReadBytes(game_ / "tfc/liblist.gam").find("dlls\\veldrin.dll"));
}

TEST_F(DialogTest, WithNoRowMarkedInstallAndRemoveTouchNothing) {
    Start();
    // A focus notification enables a button without selecting a row.
    wxListEvent event(wxEVT_LIST_ITEM_FOCUSED, IDC_MOD_LIST);
    event.m_itemIndex = RowOfSlot(test::kTfc);
    event.SetEventObject(&List());
    List().GetEventHandler()->ProcessEvent(event);
    ASSERT_TRUE(dlg_->m_btnInstall->IsEnabled());
    ASSERT_EQ(-1, List().GetSelectionMark());
    std::string slot0 = test::ReadBytes(game_ / "cstrike/liblist.gam");

    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ(slot0, test::ReadBytes(game_ / "cstrike/liblist.gam"));
    EXPECT_EQ(std::string::npos, test::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin"));
    EXPECT_TRUE(fs::exists(game_ / "cstrike/dlls/veldrin.dll"));
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_EQ(kStartRows, Rows());
}

// Answers the system's folder chooser with Cancel instead of showing it, and
// counts the choosers and their owners.
class FolderChoosers : public wxModalDialogHook {
public:
    FolderChoosers() { Register(); }
    ~FolderChoosers() override { Unregister(); }
    std::vector<wxWindow*> owners;

protected:
    int Enter(wxDialog* dialog) override {
        if (!dynamic_cast<wxDirDialog*>(dialog)) return wxID_NONE;
        owners.push_back(dialog->GetParent());
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// Browse asks for a folder, starting at the game directory. A folder that
// holds the package becomes the game directory for this run; any other is
// refused with a box that says what it must hold; Cancel changes nothing.
TEST_F(DialogTest, BrowseTakesAFolderHoldingThePackageAndRefusesAnyOther) {
    // Another game folder: its package's library a day newer, no
    // Counter-Strike, the package's names in other letter cases.
    fs::path other = root_ / "Other Games" / "Half-Life";
    ASSERT_TRUE(test::CopySampleGame(other));
    fs::remove_all(other / "cstrike");
    test::SetModified(other / "Veldrin/veldrin.dll", test::kPackageTime + test::kDay);
    fs::rename(other / "Veldrin", other / "VELDRIN");
    fs::rename(other / "VELDRIN/veldrinins.ini", other / "VELDRIN/VeldrinIns.INI");
    const std::string registry = test::FirstOf(platform::RegistryGameDirectories());

    Start();
    Select(RowOfSlot(test::kTfc));
    const DialogState before = State();
    const std::string gameDir = g_szGameDir;
    wxWindow* browse = dlg_->FindWindow(IDC_BROWSE);
    {
        FolderChoosers choosers;
        ClickButton(browse);
        EXPECT_EQ(std::vector<wxWindow*>{dlg_.get()}, choosers.owners) << "the system's chooser, cancelled";
    }
    EXPECT_EQ(before, State());

    std::vector<wxString> starts;
    wxString answer;
    dlg_->m_fnChooseFolder = [&](const wxString& start) {
        starts.push_back(start);
        return answer;
    };
    const std::string tooLong = (root_ / std::string(260, 'x') / "Half-Life").string();
    // A real package folder whose game folder is too deep for the package's
    // own paths, which would leave the list empty.
    std::string deepFolder = root_.string() + "/";
    deepFolder += std::string(230 - deepFolder.size() - std::string("/Half-Life").size(), 'd') + "/Half-Life";
    test::WriteBytes(fs::path(deepFolder) / "Veldrin" / "veldrinins.ini", "Counter-Strike\r\ncstrike\r\nmp\r\n");
    struct Refusal {
        std::string folder;
        const char* why;
    } refusals[] = {{"", nullptr},  // Cancel
                    {root_.string(), "does not hold the Veldrin package"},
                    {tooLong, "is longer than 225 characters"},
                    {deepFolder, "is longer than 225 characters"}};
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.folder);
        answer = wxString::FromUTF8(refusal.folder);
        MessageBoxes boxes;
        ClickButton(browse);
        EXPECT_EQ(before, State());
        EXPECT_EQ(gameDir, g_szGameDir);
        ASSERT_EQ(refusal.why ? 1u : 0u, boxes.seen.size());
        if (!refusal.why) continue;
        EXPECT_EQ("VeldrinIns", boxes.seen[0].caption);
        EXPECT_EQ(wxICON_WARNING, boxes.seen[0].icon);
        EXPECT_EQ(dlg_.get(), boxes.seen[0].owner);
        for (std::string part :
             {refusal.folder + "\n" + refusal.why, std::string("folder named Veldrin with veldrinins.ini")})
            EXPECT_NE(wxNOT_FOUND, boxes.seen[0].message.Find(wxString::FromUTF8(part)))
                << part << " in " << boxes.seen[0].message;
    }

    // The package folder itself stands for the game folder it lies in.
    answer = (other / "VELDRIN").wstring();
    MessageBoxes none;
    ClickButton(browse);
    EXPECT_TRUE(none.seen.empty());
    EXPECT_EQ(std::vector<wxString>(5, wxString(gameDir)), starts) << "each chooser starts at the game directory";
    EXPECT_EQ(other.string(), std::string(g_szGameDir));
    EXPECT_EQ(other.string(), dlg_->m_edtGameDir->GetValue().ToStdString());
    EXPECT_TRUE(fs::equivalent(other / "VELDRIN/veldrin.dll", platform::ResolvePath(dlg_->m_strSourceDll.c_str())));
    EXPECT_EQ(test::kPackageDate + 1, dlg_->m_nSourceDate) << "stamped again";
    std::vector<Row> rows(kStartRows.begin() + 1, kStartRows.end());
    rows[3] = {"Day of Defeat", "need upgrade", 304};  // its bot is older than this package's
    EXPECT_EQ(rows, Rows()) << "scanned again";
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_EQ(registry, test::FirstOf(platform::RegistryGameDirectories())) << "nothing written to the registry";

    // Install and Remove now change the chosen folder.
    ClickRow(RowOfSlot(test::kTfc));
    {
        MessageBoxes linuxNote;
        ClickAction(dlg_->m_btnInstall);
    }
    EXPECT_NE(std::string::npos, test::ReadBytes(other / "tfc/liblist.gam").find("veldrin.dll"));
    EXPECT_EQ(std::string::npos, test::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin.dll"));

    // A folder holding the package but none of its mods is taken, and the
    // player is told where the package belongs.
    fs::path bare = root_ / "Bare" / "Half-Life";
    test::WriteBytes(bare / "Veldrin" / "veldrinins.ini", test::ReadBytes(game_ / "Veldrin/veldrinins.ini"));
    answer = bare.wstring();
    MessageBoxes noMods;
    ClickButton(browse);
    EXPECT_EQ(bare.string(), std::string(g_szGameDir));
    EXPECT_EQ(0, List().GetItemCount());
    ASSERT_EQ(1u, noMods.seen.size());
    EXPECT_EQ(wxICON_INFORMATION, noMods.seen[0].icon);
    EXPECT_TRUE(noMods.seen[0].message.StartsWith("None of the mods of the Veldrin package's catalogue is in"))
        << noMods.seen[0].message;
    EXPECT_NE(wxNOT_FOUND, noMods.seen[0].message.Find("Press Browse")) << noMods.seen[0].message;

    // Game folders named in Cyrillic and in Chinese: taken, the field
    // showing the path exactly; or, where the code page of an older Windows
    // (or of this test program, which asks for no UTF-8) cannot hold the
    // name, refused with that reason, the folder named exactly.
    for (const char* name : {"Игры", "游戏"}) {
        const fs::path folder = root_ / fs::u8path(name) / "Half-Life";
        ASSERT_TRUE(test::CopySampleGame(folder));
        SCOPED_TRACE(folder.u8string());
        answer = wxString::FromUTF8(folder.u8string());
        const bool held = PathToNarrow(answer).unheld.empty();
        const std::string used = g_szGameDir;
        MessageBoxes boxes;
        ClickButton(browse);
        if (held) {
            EXPECT_TRUE(boxes.seen.empty());
            EXPECT_EQ(answer, dlg_->m_edtGameDir->GetValue());
            EXPECT_EQ(kStartRows.size(), static_cast<size_t>(List().GetItemCount()));
        } else {
            ASSERT_EQ(1u, boxes.seen.size());
            EXPECT_EQ(wxICON_WARNING, boxes.seen[0].icon);
            EXPECT_NE(wxNOT_FOUND, boxes.seen[0].message.Find(answer + "\ncannot be used: its name holds \"" +
                                                              wxString::FromUTF8(name) + "\""))
                << boxes.seen[0].message;
            EXPECT_EQ(used, g_szGameDir) << "the game folder stays";
        }
    }
}

// Enter presses Exit, the default button, from Exit itself and from the
// list with a row current, which would otherwise take the key for itself.
TEST_F(DialogTest, EnterPressesExitAndClosesTheDialog) {
    for (bool fromList : {false, true}) {
        SCOPED_TRACE(fromList ? "from the list" : "from Exit");
        Start();
        if (fromList) ClickRow(RowOfSlot(test::kTfc));
        else dlg_->FindWindow(wxID_OK)->SetFocus();
        Pump(50);
        std::vector<int> pressed;
        dlg_->Bind(wxEVT_BUTTON, [&pressed](wxCommandEvent& event) {
            pressed.push_back(event.GetId());
            event.Skip();
        });
        wxUIActionSimulator sim;
        sim.Char(WXK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return !dlg_->IsShown(); }, 1000));
        EXPECT_EQ(std::vector<int>{wxID_OK}, pressed);
        EXPECT_EQ(std::string::npos, test::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin")) << "nothing installed";
    }
}

// Right after a click on Remove, which leaves that button disabled, the focus
// is back on the list, and Escape closes the dialog.
TEST_F(DialogTest, EscapeClosesTheDialogToo) {
    Start();
    ClickRow(RowOfSlot(test::kDod));
    ClickAction(dlg_->m_btnRemove);
    Select(RowOfSlot(test::kTfc));
    // Wine without a window manager never finishes hiding a window while the
    // pointer rests on a disabled button.
    if (test::HostIsWindows()) {
        wxUIActionSimulator().MouseMove(List().GetScreenRect().GetPosition() + wxPoint(30, 40));
        Pump(200);
    }
    wxUIActionSimulator sim;
    sim.Char(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !dlg_->IsShown(); }, 1000));
    EXPECT_EQ(std::string::npos, test::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin")) << "nothing installed";
}

// Every control of the template shows its whole text in the room the
// template gives it, and no two controls share a pixel, except those inside
// the group box, which frames them.
// In English and in every language the program ships: every label, check
// box and button of the dialog holds its text, nothing overlaps, the list's
// column titles and status words fit their columns, and each box the dialog
// shows speaks the language, no line of it wider than the screen (the
// system's box sizes and wraps itself).
TEST_F(DialogTest, TheLayoutFitsEveryTextAndNothingOverlaps) {
    using platform::FileError;
    using platform::FileOp;
    constexpr int kCellPadding = 8;  // the list's space around a cell's text
    const wxSize screen = wxGetDisplaySize();
    std::vector<wxString> englishBoxes;
    const fs::path outsideTheGame = fs::current_path();
    for (const std::string& language : test::ShippedLanguages()) {
        SCOPED_TRACE("language " + language);
        fs::current_path(outsideTheGame);
        UsePlayersLanguage({language});
        EXPECT_EQ(language == "C" ? std::string() : language, translations::Language());
        MessageBoxes boxes(wxID_YES);  // answers the start-up question too
        auto start = [this] {
            dlg_ = std::make_unique<CVeldrinInsDlg>();
            dlg_->OnInitDialog();
            dlg_->Show();
            Pump(300);
        };
        // Without a game folder: the start-up question and the box that says
        // to browse.
        start();
        ASSERT_TRUE(PumpUntil([&] { return boxes.seen.size() == 2; }));
        dlg_.reset();

        fs::current_path(game_ / "Veldrin");
        start();
        ASSERT_EQ(3u, boxes.seen.size());
        Select(RowOfSlot(test::kFrontLine));  // the weapon box shows
        test::ExpectNoneOverlaps(test::ExpectEveryTextFits(dlg_.get()));
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT);
        for (int c = 0; c < List().GetColumnCount(); ++c) {
            List().GetColumn(c, column);
            int needs = List().GetTextExtent(column.GetText()).x + kCellPadding;
            EXPECT_LE(needs, List().GetColumnWidth(c))
                << "column title \"" << column.GetText().utf8_string() << "\" needs " << needs << " px, has "
                << List().GetColumnWidth(c);
        }
        for (long row = 0; row < List().GetItemCount(); ++row) {
            wxString status = List().GetItemText(row, 1);
            int needs = List().GetTextExtent(status).x + kCellPadding;
            EXPECT_LE(needs, List().GetColumnWidth(1)) << "status \"" << status.utf8_string() << "\" needs " << needs
                                                       << " px, has " << List().GetColumnWidth(1);
        }

        // Browse to a folder without the package, an Install that fails.
        dlg_->m_fnChooseFolder = [this](const wxString&) { return wxString(root_.string()); };
        wxCommandEvent click;
        dlg_->OnBrowse(click);
        platform::SetFaultHook(
            [](FileOp op, const std::string& path) {
                return op == FileOp::Copy && path.find("veldrin.dll") != std::string::npos;
            },
            FileError::InUse);
        Select(RowOfSlot(test::kOpFor));
        dlg_->OnInstall(click);
        platform::SetFaultHook({});
        ASSERT_EQ(5u, boxes.seen.size());

        for (size_t b = 0; b < boxes.seen.size(); ++b) {
            const wxString& message = boxes.seen[b].message;
            SCOPED_TRACE(message.utf8_string());
            if (language == "C") {
                englishBoxes.push_back(message);
            } else if (b < englishBoxes.size()) {
                EXPECT_NE(englishBoxes[b], message) << "the box is translated";
            }
            int lines = 0;
            for (const wxString& line : wxSplit(message, '\n', '\0')) {
                ++lines;
                int w = dlg_->GetTextExtent(line).x;
                EXPECT_LE(w, screen.x) << "a line of the box needs " << w << " px, the screen has " << screen.x;
            }
            EXPECT_LE(lines * dlg_->GetCharHeight(), screen.y) << lines << " lines";
        }
        dlg_->Hide();
        dlg_.reset();
        Pump(50);
    }
    UsePlayersLanguage({"C"});
}

}  // namespace
