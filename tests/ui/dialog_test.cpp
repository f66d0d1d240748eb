// The main dialog in a real window, built from the real template, against a
// sample game folder in a temporary directory.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/testing.h>
#include <wx/uiaction.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "sample_game.h"
#include "ui/resource.h"
#include "ui/veldrinins_dlg.h"

namespace {

using uitest::FolderOf;

// The start-up question, answered as the test says, after checking that it
// is the question the player is asked.
class ExpectStartQuestion : public wxExpectModal<wxMessageDialog> {
public:
    explicit ExpectStartQuestion(int answer) : wxExpectModal<wxMessageDialog>(answer) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override {
        EXPECT_EQ("Are you sure?", box->GetTitle());
        EXPECT_EQ(wxString("\nBrowse to your <steam>\\<email>\\counter-strike\\ folder if you install in CS 1.6\n\n"
                           "You are using this program at you own risk!\n"
                           "Make sure to backup any important files and read the readme file.\n"
                           "Do you wish to continue?"),
                  box->GetMessage());
        EXPECT_EQ(wxYES_NO | wxICON_EXCLAMATION, box->GetMessageDialogStyle() & (wxYES_NO | wxICON_MASK));
        EXPECT_FALSE(box->GetParent() && box->GetParent()->IsShown()) << "asked before the dialog shows";
        return wxExpectModal<wxMessageDialog>::OnInvoked(box);
    }
};

// Lets the window system and the dialog handle what is pending.
void Pump(int milliseconds = 150) {
    wxStopWatch watch;
    do {
        wxYield();
        wxMilliSleep(10);
    } while (watch.Time() < milliseconds);
}

// Lets the window system work until the condition holds, for at most a few
// seconds (a loaded machine may take its time). Returns the condition.
template <typename Condition>
bool PumpUntil(Condition condition, int milliseconds = 5000) {
    wxStopWatch watch;
    while (!condition() && watch.Time() < milliseconds) {
        wxYield();
        wxMilliSleep(10);
    }
    return condition();
}

struct Row {
    std::string name, status;
    long data;
    bool operator==(const Row& o) const { return name == o.name && status == o.status && data == o.data; }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.name << ", " << r.status << ", " << r.data << "}";
}

class DialogTest : public uitest::TempGameFolderTest {
protected:
    void SetUp() override {
        TempGameFolderTest::SetUp();
        uitest::WriteSampleGame(game_);
        std::memset(g_szGameDir, 0, sizeof g_szGameDir);
    }

    void TearDown() override {
        if (dlg_) {
            dlg_->Hide();
            dlg_.reset();
            Pump(50);
        }
        TempGameFolderTest::TearDown();
    }

    // Starts the dialog as the program does, from inside the package folder,
    // and shows it (without a modal loop of its own, so the test can act).
    void Start() {
        fs::current_path(game_ / "Veldrin");
        StartFromHere();
    }

    void StartFromHere() {
        dlg_ = std::make_unique<CVeldrinInsDlg>();
        wxTEST_DIALOG(dlg_->OnInitDialog(), ExpectStartQuestion(wxID_YES));
        dlg_->Show();
        dlg_->Raise();
        Pump(300);
    }

    CModListCtrl& List() const { return *dlg_->m_lstMods; }

    std::vector<Row> Rows() const {
        std::vector<Row> rows;
        for (long i = 0; i < List().GetItemCount(); ++i)
            rows.push_back({List().GetItemText(i, 0).ToStdString(), List().GetItemText(i, 1).ToStdString(),
                            static_cast<long>(List().GetItemData(i))});
        return rows;
    }

    std::vector<int> Statuses() const {
        std::vector<int> statuses;
        for (const Row& r : Rows()) statuses.push_back(static_cast<int>(r.data / 100));
        return statuses;
    }

    long RowOfSlot(int slot) const {
        for (long i = 0; i < List().GetItemCount(); ++i)
            if (static_cast<int>(List().GetItemData(i) % 100) == slot) return i;
        return -1;
    }

    long SelectedRow() const { return List().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }

    // Selects a row as the keyboard or a click would: the list reports it.
    void Select(long row) {
        List().SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                            wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        Pump(30);
    }

    // Real input: a mouse click at a point of a window, in its client area.
    void ClickAt(wxWindow* window, wxPoint point) {
        dlg_->Raise();
        wxUIActionSimulator sim;
        sim.MouseMove(window->ClientToScreen(point));
        Pump(100);
        sim.MouseClick();
        // Long enough that the next click is no double click.
        Pump(600);
    }

    void ClickRow(long row) {
        wxRect rect;
        ASSERT_TRUE(List().GetItemRect(row, rect));
        ClickAt(&List(), wxPoint(rect.x + 20, rect.y + rect.height / 2));
        EXPECT_TRUE(PumpUntil([&] { return SelectedRow() == row; })) << "the click selected row " << row;
    }

    // The column headers stand at the top of the list's client area.
    void ClickHeader(int column) {
        int x = 20;
        for (int c = 0; c < column; ++c) x += List().GetColumnWidth(c);
        ClickAt(&List(), wxPoint(x, 6));
    }

    void ClickButton(wxWindow* button) { ClickAt(button, wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2)); }

    // Install and Remove end with both buttons disabled.
    void ClickAction(wxButton* button) {
        ClickButton(button);
        EXPECT_TRUE(PumpUntil([&] { return !button->IsEnabled(); })) << "the click reached the button";
    }

    std::unique_ptr<CVeldrinInsDlg> dlg_;
};

const std::vector<Row> kStartRows = {
    {"Counter-Strike", "installed", 100},
    {"Team Fortress Classic", "not installed", 201},
    {"Deathmatch Classic", "need upgrade", 303},
    {"Day of Defeat", "installed", 104},
    {"Opposing Force", "not installed", 205},
    {"Half-Life", "not installed", 206},
    {"Front Line Force", "not installed", 207},
    {uitest::LongModName().substr(0, 79), "not installed", 208},
};

TEST_F(DialogTest, StartsWithTheDefaultsAndTheModsOfTheGameFolderFoundAboveThePackage) {
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
    EXPECT_EQ(focus, d.FindWindow(wxID_OK)) << "Exit, the first control, has the focus, not "
                                            << (focus ? focus->GetLabel() + "/" + focus->GetClassInfo()->GetClassName() : "none");

    EXPECT_EQ(game_.string(), std::string(g_szGameDir));
    EXPECT_EQ(game_.string(), d.m_edtGameDir->GetValue().ToStdString());
    EXPECT_FALSE(d.m_edtGameDir->IsEditable());
    EXPECT_TRUE(fs::equivalent(game_ / "Veldrin" / "veldrin.dll", platform::ResolvePath(d.m_strSourceDll.c_str())))
        << d.m_strSourceDll;
    EXPECT_EQ(20240310, d.m_nSourceDate);

    EXPECT_EQ(kStartRows, Rows()) << "catalogue order, Ricochet absent, the long name cut to 79 characters";
    EXPECT_EQ(9, d.m_nModCount);
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
    uitest::WriteBytes(root_ / "wine" / "system.reg",
                     "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
                     "[Software\\\\Sierra OnLine\\\\Setup\\\\HALFLIFE] 1700000000\n#time=1d9a2b3c4d5e6f7\n"
                     "\"Directory\"=\"C:\\\\Games\\\\Half-Life\"\n\n");

    StartFromHere();  // the working directory is no package folder

    EXPECT_EQ("C:\\Games\\Half-Life", dlg_->m_edtGameDir->GetValue().ToStdString());
    EXPECT_EQ("C:\\Games\\Half-Life", std::string(g_szGameDir));
    EXPECT_EQ(20240310, dlg_->m_nSourceDate);
    EXPECT_EQ(kStartRows, Rows());
}

TEST_F(DialogTest, WithoutAGameDirectoryTheListIsEmptyAndItsHeadersDoNothing) {
    StartFromHere();
    EXPECT_EQ("", dlg_->m_edtGameDir->GetValue());
    EXPECT_EQ(0, List().GetItemCount());
    ClickHeader(0);
    ClickHeader(1);
    EXPECT_EQ(0, List().GetItemCount());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
}

TEST_F(DialogTest, SelectingARowEnablesTheButtonItsStatusCallsFor) {
    Start();
    struct Case {
        int slot;
        bool install;
    } cases[] = {{uitest::kTfc, true}, {uitest::kCounterStrike, false}, {uitest::kDmc, true},
                 {uitest::kDod, false}, {uitest::kLongName, true}};
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
    long row = RowOfSlot(uitest::kCounterStrike);
    ClickRow(row);
    EXPECT_EQ(row, SelectedRow());
    EXPECT_EQ(row, List().GetSelectionMark());
    EXPECT_EQ(100, dlg_->SelectedItemData());
    EXPECT_TRUE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());

    row = RowOfSlot(uitest::kOpFor);
    ClickRow(row);
    EXPECT_EQ(row, List().GetSelectionMark());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
}

TEST_F(DialogTest, TheWeaponBoxIsOfferedForSlotSevenOnly) {
    Start();
    Select(RowOfSlot(uitest::kFrontLine));
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown());
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->GetValue()) << "still ticked from start-up";
    Select(RowOfSlot(uitest::kLongName));  // slot 8
    EXPECT_FALSE(dlg_->m_chkCopyWpnConfigs->IsShown());
    Select(RowOfSlot(uitest::kFrontLine));
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown());
    Select(RowOfSlot(uitest::kCounterStrike));  // slot 0
    EXPECT_FALSE(dlg_->m_chkCopyWpnConfigs->IsShown());
}

TEST_F(DialogTest, ANotificationNamingNoRowChangesNothing) {
    Start();
    Select(RowOfSlot(uitest::kFrontLine));
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
    long dmc = RowOfSlot(uitest::kDmc);
    ClickRow(dmc);
    ASSERT_EQ(dmc, List().GetSelectionMark());

    const std::vector<int> installedFirst = {1, 1, 2, 2, 2, 2, 2, 3};
    const std::vector<int> upgradeFirst = {3, 2, 2, 2, 2, 2, 1, 1};
    ClickHeader(0);  // "Mod name"
    EXPECT_TRUE(PumpUntil([&] { return Statuses() == installedFirst; }));
    EXPECT_EQ(installedFirst, Statuses());
    ClickHeader(0);
    EXPECT_EQ(installedFirst, Statuses()) << "a second click on the same header keeps the order";
    EXPECT_EQ(RowOfSlot(uitest::kDmc), SelectedRow());
    EXPECT_EQ(RowOfSlot(uitest::kDmc), List().GetSelectionMark());
    EXPECT_EQ(303, dlg_->SelectedItemData());

    ClickHeader(1);  // "Status"
    EXPECT_TRUE(PumpUntil([&] { return Statuses() == upgradeFirst; }));
    EXPECT_EQ(upgradeFirst, Statuses());
    EXPECT_EQ(0, RowOfSlot(uitest::kDmc));
    EXPECT_EQ(0, SelectedRow());
    EXPECT_EQ(0, List().GetSelectionMark());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled()) << "the buttons still follow the selected row";
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());

    // Every row keeps its texts and item data; only the order changed.
    std::vector<Row> sorted = Rows();
    for (const Row& row : kStartRows)
        EXPECT_NE(sorted.end(), std::find(sorted.begin(), sorted.end(), row)) << row;
}

TEST_F(DialogTest, CompareByStatusOrdersByStatusAloneForEachColumn) {
    EXPECT_LT(CompareByStatus(105, 201, 0), 0);
    EXPECT_GT(CompareByStatus(301, 200, 0), 0);
    EXPECT_EQ(0, CompareByStatus(201, 249, 0)) << "slots never count";
    EXPECT_GT(CompareByStatus(105, 201, 1), 0);
    EXPECT_LT(CompareByStatus(301, 100, 0) * CompareByStatus(301, 100, 1), 0);
    EXPECT_EQ(0, CompareByStatus(100, 300, 2));
    EXPECT_EQ(0, CompareByStatus(100, 300, -1));
    EXPECT_EQ(3, ItemDataStatus(307));
    EXPECT_EQ(7, ItemDataSlot(307));
    EXPECT_EQ(79u, ShownModName(std::string(120, 'x')).size());
    EXPECT_EQ("short", ShownModName("short"));
}

TEST_F(DialogTest, InstallThroughTheButtonCopiesTheTickedExtrasAndRebuildsTheRows) {
    Start();
    dlg_->m_chkCopyChat->SetValue(false);
    ClickRow(RowOfSlot(uitest::kFrontLine));
    ASSERT_TRUE(dlg_->m_btnInstall->IsEnabled());
    int notifications = 0;
    auto count = [&notifications](wxListEvent& event) {
        ++notifications;
        event.Skip();
    };
    for (auto type : {wxEVT_LIST_ITEM_SELECTED, wxEVT_LIST_ITEM_DESELECTED, wxEVT_LIST_ITEM_FOCUSED})
        dlg_->Bind(type, count);
    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ(0, notifications) << "rebuilding the rows notifies nothing";
    EXPECT_TRUE(dlg_->m_chkCopyWpnConfigs->IsShown()) << "as the last notification left it";

    fs::path mod = game_ / "frontline";
    EXPECT_NE(std::string::npos, uitest::ReadBytes(mod / "liblist.gam").find("gamedll \"dlls\\veldrin.dll\"\r\n"));
    EXPECT_EQ("stand-in bot library v1.3", uitest::ReadBytes(mod / "dlls/veldrin.dll"));
    EXPECT_TRUE(fs::exists(mod / "maps/one.vwp"));
    EXPECT_TRUE(fs::exists(mod / "maps/two.vwp"));
    EXPECT_TRUE(fs::exists(mod / "Veldrin_names.txt"));
    EXPECT_TRUE(fs::exists(mod / "Veldrin.cfg"));
    EXPECT_TRUE(fs::exists(mod / "bot_weapon_config.cfg")) << "slot 7 with its box ticked";
    EXPECT_FALSE(fs::exists(mod / "Veldrin_chat.txt")) << "its box was cleared";

    std::vector<Row> expected = kStartRows;
    expected[6] = {"Front Line Force", "installed", 107};
    EXPECT_EQ(expected, Rows()) << "rebuilt in catalogue order";
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_EQ(-1, SelectedRow());
    EXPECT_EQ(-1, List().GetSelectionMark());
}

TEST_F(DialogTest, InstallOverAnOlderCopyMakesTheModCurrent) {
    Start();
    Select(RowOfSlot(uitest::kDmc));
    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ("installed", Rows()[2].status);
    EXPECT_EQ(103, Rows()[2].data);
    EXPECT_FALSE(fs::exists(game_ / "dmc" / "bot_weapon_config.cfg")) << "not slot 7";
}

TEST_F(DialogTest, RemoveThroughTheButtonRestoresTheModsOwnLibrary) {
    Start();
    ClickRow(RowOfSlot(uitest::kDod));
    ASSERT_TRUE(dlg_->m_btnRemove->IsEnabled());
    ClickAction(dlg_->m_btnRemove);

    EXPECT_NE(std::string::npos, uitest::ReadBytes(game_ / "dod/liblist.gam").find("gamedll \"dlls\\dod.dll\"\r\n"));
    EXPECT_FALSE(fs::exists(game_ / "dod/dlls/veldrin.dll"));
    std::vector<Row> expected = kStartRows;
    expected[3] = {"Day of Defeat", "not installed", 204};
    EXPECT_EQ(expected, Rows());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
}

TEST_F(DialogTest, InstallAndRemoveActOnTheMarkedRowAfterASort) {
    Start();
    Select(RowOfSlot(uitest::kOpFor));
    ClickHeader(1);  // the row moves; the mark goes with it
    ASSERT_TRUE(PumpUntil([&] { return Statuses().front() == 3; }));
    ClickAction(dlg_->m_btnInstall);
    EXPECT_NE(std::string::npos, uitest::ReadBytes(game_ / "gearbox/liblist.gam").find("dlls\\veldrin.dll"));
    EXPECT_EQ(std::string::npos, uitest::ReadBytes(game_ / "tfc/liblist.gam").find("dlls\\veldrin.dll"));
}

TEST_F(DialogTest, WithNoRowMarkedInstallAndRemoveTouchNothing) {
    Start();
    // A focus notification enables a button without selecting a row.
    wxListEvent event(wxEVT_LIST_ITEM_FOCUSED, IDC_MOD_LIST);
    event.m_itemIndex = RowOfSlot(uitest::kTfc);
    event.SetEventObject(&List());
    List().GetEventHandler()->ProcessEvent(event);
    ASSERT_TRUE(dlg_->m_btnInstall->IsEnabled());
    ASSERT_EQ(-1, List().GetSelectionMark());
    std::string slot0 = uitest::ReadBytes(game_ / "cstrike/liblist.gam");

    ClickAction(dlg_->m_btnInstall);
    EXPECT_EQ(slot0, uitest::ReadBytes(game_ / "cstrike/liblist.gam"));
    EXPECT_EQ(std::string::npos, uitest::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin"));
    EXPECT_TRUE(fs::exists(game_ / "cstrike/dlls/veldrin.dll"));
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_EQ(kStartRows, Rows());
}

TEST_F(DialogTest, BrowseChangesNothing) {
    Start();
    Select(RowOfSlot(uitest::kTfc));
    std::vector<Row> rows = Rows();
    wxString dir = dlg_->m_edtGameDir->GetValue();
    ClickButton(dlg_->FindWindow(IDC_BROWSE));
    EXPECT_TRUE(dlg_->IsShown());
    EXPECT_EQ(dir, dlg_->m_edtGameDir->GetValue());
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ(RowOfSlot(uitest::kTfc), SelectedRow());
    EXPECT_TRUE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_EQ(game_.string(), std::string(g_szGameDir));
}

TEST_F(DialogTest, EnterPressesExitAndClosesTheDialog) {
    Start();
    dlg_->FindWindow(wxID_OK)->SetFocus();
    Pump(50);
    wxUIActionSimulator sim;
    sim.Char(WXK_RETURN);
    Pump(200);
    EXPECT_FALSE(dlg_->IsShown());
}

TEST_F(DialogTest, EscapeClosesTheDialogToo) {
    Start();
    Select(RowOfSlot(uitest::kTfc));
    dlg_->m_lstMods->SetFocus();
    Pump(50);
    wxUIActionSimulator sim;
    sim.Char(WXK_ESCAPE);
    Pump(200);
    EXPECT_FALSE(dlg_->IsShown());
    EXPECT_EQ(std::string::npos, uitest::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin")) << "nothing installed";
}

// Every control of the template shows its whole text in the room the
// template gives it, and no two controls share a pixel, except those inside
// the group box, which frames them.
TEST_F(DialogTest, TheLayoutFitsEveryTextAndNothingOverlaps) {
    Start();
    Select(RowOfSlot(uitest::kFrontLine));  // the weapon box shows
    std::vector<wxWindow*> controls;
    for (wxWindow* child : dlg_->GetChildren()) {
        if (!child->IsShown()) continue;
        wxRect r = child->GetRect();
        SCOPED_TRACE(child->GetLabel().ToStdString());
        EXPECT_TRUE(wxRect(dlg_->GetClientSize()).Contains(r)) << "inside the dialog";
        wxString text = wxStripMenuCodes(child->GetLabel());
        wxSize extent = child->GetTextExtent(text);
        if (dynamic_cast<wxStaticBox*>(child)) continue;
        controls.push_back(child);
        if (dynamic_cast<wxCheckBox*>(child)) {
            EXPECT_LE(child->GetBestSize().x, r.width);
            EXPECT_LE(child->GetBestSize().y, r.height);
        } else if (dynamic_cast<wxButton*>(child)) {
            EXPECT_LE(extent.x + 8, r.width);
            EXPECT_LE(extent.y, r.height);
        } else if (dynamic_cast<wxStaticText*>(child)) {
            // A label too long for one line wraps between words.
            int lines = 1, line = 0;
            for (const wxString& word : wxSplit(text, ' ')) {
                int w = child->GetTextExtent(word).x;
                int withSpace = line ? line + child->GetTextExtent(" ").x + w : w;
                EXPECT_LE(w, r.width) << word;
                if (withSpace > r.width) {
                    ++lines;
                    line = w;
                } else {
                    line = withSpace;
                }
            }
            EXPECT_LE(lines * child->GetCharHeight(), r.height);
        }
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                << controls[i]->GetLabel() << " / " << controls[j]->GetLabel();
}

}  // namespace
