// The main dialog in a real window, built from the real template, against a
// copy of the demo's game folder in a temporary directory.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dirdlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/statbmp.h>
#include <wx/timer.h>
#include <wx/xrc/xmlres.h>
#include <wx/statbox.h>
#include <wx/testing.h>
#include <wx/uiaction.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>  // SendMessage, WM_SYSCOMMAND
#endif

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/game_dir.h"
#include "sample_game.h"
#include "ui/about_dlg.h"
#include "ui/admin_restart.h"
#include "ui/resource.h"
#include "ui/window_chrome.h"
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

protected:
    int Enter(wxDialog* dialog) override {
        auto* box = dynamic_cast<wxMessageDialog*>(dialog);
        if (!box) return wxID_NONE;
        long style = box->GetMessageDialogStyle();
        seen.push_back({box->GetTitle(), box->GetMessage(), style & (wxOK | wxYES_NO | wxCANCEL), style & wxICON_MASK,
                        box->GetParent(), box->GetParent() && box->GetParent()->IsShown()});
        return answer_;
    }
    void Exit(wxDialog*) override {}

private:
    int answer_;
};

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

struct Row {
    std::string name, status;
    long data;
    bool operator==(const Row& o) const { return name == o.name && status == o.status && data == o.data; }
};

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.name << ", " << r.status << ", " << r.data << "}";
}

// What the player sees of the main dialog, to compare before and after.
struct DialogState {
    std::vector<Row> rows;
    long selected, mark;
    bool install, remove, shown;
    std::vector<bool> boxes;
    std::string gameDir;
    wxRect rect;
    bool operator==(const DialogState& o) const {
        return rows == o.rows && selected == o.selected && mark == o.mark && install == o.install &&
               remove == o.remove && shown == o.shown && boxes == o.boxes && gameDir == o.gameDir && rect == o.rect;
    }
};

class DialogTest : public uitest::TempGameFolderTest {
protected:
    void SetUp() override {
        TempGameFolderTest::SetUp();
        uitest::CopyExampleGame(game_);
        std::memset(g_szGameDir, 0, sizeof g_szGameDir);
        // Where a denied change would offer a restart as administrator, the
        // test that looks at the offer asks for it.
        SetAdminRestartSystem({[] { return true; }, {}});
    }

    void TearDown() override {
        SetAdminRestartSystem({});
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

    DialogState State() const {
        const CVeldrinInsDlg& d = *dlg_;
        return {Rows(),
                SelectedRow(),
                List().GetSelectionMark(),
                d.m_btnInstall->IsEnabled(),
                d.m_btnRemove->IsEnabled(),
                d.IsShown(),
                {d.m_chkCopyChat->GetValue(), d.m_chkCopyWpnConfigs->GetValue(), d.m_chkCopyWpnConfigs->IsShown(),
                 d.m_chkCopyNames->GetValue(), d.m_chkCopyCfg->GetValue(), d.m_chkCopyWaypoints->GetValue()},
                d.m_edtGameDir->GetValue().ToStdString(),
                d.GetRect()};
    }

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

    void ClickButton(wxWindow* button) {
        ClickAt(button, wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2));
    }

    // Install and Remove end with both buttons disabled.
    void ClickAction(wxButton* button) {
        ClickButton(button);
        EXPECT_TRUE(PumpUntil([&] { return !button->IsEnabled(); })) << "the click reached the button";
    }

    std::unique_ptr<CVeldrinInsDlg> dlg_;
};

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
    std::string catalogue = uitest::ReadBytes(game_ / "Veldrin/veldrinins.ini");
    uitest::WriteBytes(game_ / "Veldrin/veldrinins.ini", catalogue + uitest::Crlf(longName + "\nlongname\nlongname\n"));
    uitest::WriteBytes(game_ / "longname/liblist.gam", uitest::Crlf("game \"Long\"\ngamedll \"dlls\\longname.dll\"\n"));
    uitest::WriteBytes(game_ / "longname/dlls/longname.dll", "the mod's own library");
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
    EXPECT_EQ(uitest::kPackageDate, d.m_nSourceDate);

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
    EXPECT_EQ(uitest::kPackageDate, dlg_->m_nSourceDate);
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
}

TEST_F(DialogTest, SelectingARowEnablesTheButtonItsStatusCallsFor) {
    Start();
    struct Case {
        int slot;
        bool install;
    } cases[] = {{uitest::kTfc, true},
                 {uitest::kCounterStrike, false},
                 {uitest::kDmc, true},
                 {uitest::kDod, false},
                 {uitest::kTs, true}};
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
    Select(RowOfSlot(uitest::kTs));  // slot 8
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
    EXPECT_EQ(302, dlg_->SelectedItemData());

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
    for (const Row& row : kStartRows) EXPECT_NE(sorted.end(), std::find(sorted.begin(), sorted.end(), row)) << row;
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
    EXPECT_EQ(uitest::ReadBytes(game_ / "Veldrin/veldrin.dll"), uitest::ReadBytes(mod / "dlls/veldrin.dll"));
    EXPECT_TRUE(fs::exists(mod / "maps/ftl_outpost.vwp"));
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
    EXPECT_EQ(102, Rows()[2].data);
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
    expected[4] = {"Day of Defeat", "not installed", 204};
    EXPECT_EQ(expected, Rows());
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
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
    } cases[] = {
        {"a read-only liblist.gam",
         uitest::kTfc,
         true,
         readOnly("tfc/liblist.gam"),
         {"Veldrin could not be installed in Team Fortress Classic: the mod was left as it was.",
          ForPlayer("tfc/liblist.gam") + ": the file is read-only", "Clear the file's read-only mark"},
         "not installed"},
        {"a library in use",
         uitest::kOpFor,
         true,
         failing(FileOp::Copy, "veldrin.dll", FileError::InUse),
         {"Veldrin could not be installed in Opposing Force: the mod was left as it was.",
          ForPlayer("gearbox/dlls/veldrin.dll") + ": " + platform::ReasonText(FileError::InUse),
          "Close Half-Life and any server of this mod"},
         "not installed"},
        {"a read-only liblist.gam on Remove",
         uitest::kDod,
         false,
         readOnly("dod/liblist.gam"),
         {"Veldrin could not be removed from Day of Defeat: the mod was left as it was.",
          ForPlayer("dod/liblist.gam") + ": the file is read-only"},
         "installed"},
        {"an extra on a full disk",
         uitest::kFrontLine,
         true,
         failing(FileOp::Copy, "Veldrin.cfg", FileError::DiskFull),
         {"Veldrin was installed in Front Line Force, but these extras could not be copied:\n" +
              ForPlayer("frontline/Veldrin.cfg") + "\n",
          ForPlayer("frontline/Veldrin.cfg") + ": " + platform::ReasonText(FileError::DiskFull), "press Install again"},
         "installed"},
        {"a success", uitest::kHalfLife, true, [] {}, {}, "installed"},
    };

    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClickRow(RowOfSlot(c.slot));
        c.breakIt();
        MessageBoxes boxes;
        ClickAction(c.install ? dlg_->m_btnInstall : dlg_->m_btnRemove);
        platform::SetFaultHook({});
        ASSERT_EQ(c.told.empty() ? 0u : 1u, boxes.seen.size());
        EXPECT_EQ(c.statusAfter, Rows()[RowOfSlot(c.slot)].status);
        if (c.told.empty()) continue;
        const MessageBoxes::Box& box = boxes.seen.front();
        EXPECT_EQ("VeldrinIns", box.caption);
        EXPECT_EQ(wxOK, box.buttons);
        EXPECT_EQ(wxICON_WARNING, box.icon);
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
    EXPECT_TRUE(fs::exists(game_ / "dod/dlls/veldrin.dll")) << "Remove kept the library its liblist.gam names";
    EXPECT_FALSE(fs::exists(game_ / "frontline/Veldrin.cfg"));
    EXPECT_TRUE(fs::exists(game_ / "frontline/Veldrin_names.txt")) << "the other extras were copied";
    // Windows cannot delete a read-only file with its folder.
    for (const char* file : {"tfc/liblist.gam", "dod/liblist.gam"})
        fs::permissions(game_ / file, fs::perms::owner_write, fs::perm_options::add);
}

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
        ClickRow(RowOfSlot(uitest::kTfc));
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
    ClickRow(RowOfSlot(uitest::kTfc));
    MessageBoxes boxes;
    ClickAction(dlg_->m_btnInstall);
    ASSERT_EQ(1u, boxes.seen.size());
    EXPECT_EQ(wxOK, boxes.seen[0].buttons);
    fs::permissions(game_ / "tfc/liblist.gam", fs::perms::owner_write, fs::perm_options::add);
}
#endif

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
    uitest::CopyExampleGame(other);
    fs::remove_all(other / "cstrike");
    uitest::SetModified(other / "Veldrin/veldrin.dll", uitest::kPackageTime + uitest::kDay);
    fs::rename(other / "Veldrin", other / "VELDRIN");
    fs::rename(other / "VELDRIN/veldrinins.ini", other / "VELDRIN/VeldrinIns.INI");
    const std::string registry = platform::RegistryGameDirectory();

    Start();
    Select(RowOfSlot(uitest::kTfc));
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
    struct Refusal {
        std::string folder;
        const char* why;
    } refusals[] = {{"", nullptr},  // Cancel
                    {root_.string(), "does not hold the Veldrin package"},
                    {tooLong, "is longer than 255 characters"}};
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

    answer = other.wstring();
    MessageBoxes none;
    ClickButton(browse);
    EXPECT_TRUE(none.seen.empty());
    EXPECT_EQ(std::vector<wxString>(4, wxString(gameDir)), starts) << "each chooser starts at the game directory";
    EXPECT_EQ(other.string(), std::string(g_szGameDir));
    EXPECT_EQ(other.string(), dlg_->m_edtGameDir->GetValue().ToStdString());
    EXPECT_TRUE(fs::equivalent(other / "VELDRIN/veldrin.dll", platform::ResolvePath(dlg_->m_strSourceDll.c_str())));
    EXPECT_EQ(uitest::kPackageDate + 1, dlg_->m_nSourceDate) << "stamped again";
    std::vector<Row> rows(kStartRows.begin() + 1, kStartRows.end());
    rows[3] = {"Day of Defeat", "need upgrade", 304};  // its bot is older than this package's
    EXPECT_EQ(rows, Rows()) << "scanned again";
    EXPECT_FALSE(dlg_->m_btnInstall->IsEnabled());
    EXPECT_FALSE(dlg_->m_btnRemove->IsEnabled());
    EXPECT_EQ(registry, platform::RegistryGameDirectory()) << "nothing written to the registry";

    // Install and Remove now change the chosen folder.
    ClickRow(RowOfSlot(uitest::kTfc));
    ClickAction(dlg_->m_btnInstall);
    EXPECT_NE(std::string::npos, uitest::ReadBytes(other / "tfc/liblist.gam").find("veldrin.dll"));
    EXPECT_EQ(std::string::npos, uitest::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin.dll"));
}

// Enter presses Exit, the default button, from Exit itself and from the
// list with a row current, which would otherwise take the key for itself.
TEST_F(DialogTest, EnterPressesExitAndClosesTheDialog) {
    for (bool fromList : {false, true}) {
        SCOPED_TRACE(fromList ? "from the list" : "from Exit");
        Start();
        if (fromList) ClickRow(RowOfSlot(uitest::kTfc));
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
        EXPECT_EQ(std::string::npos, uitest::ReadBytes(game_ / "tfc/liblist.gam").find("veldrin"))
            << "nothing installed";
    }
}

// Right after a click on Remove, which leaves that button disabled, the focus
// is back on the list, and Escape closes the dialog.
TEST_F(DialogTest, EscapeClosesTheDialogToo) {
    Start();
    ClickRow(RowOfSlot(uitest::kDod));
    ClickAction(dlg_->m_btnRemove);
    Select(RowOfSlot(uitest::kTfc));
    // Wine without a window manager never finishes hiding a window while the
    // pointer rests on a disabled button.
    if (test::HostIsWindows()) {
        wxUIActionSimulator().MouseMove(List().GetScreenRect().GetPosition() + wxPoint(30, 40));
        Pump(200);
    }
    wxUIActionSimulator sim;
    sim.Char(WXK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !dlg_->IsShown(); }, 1000));
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

// Lets every modal dialog show for real; when it is the About box, notes what
// it shows and closes it as a player does, with a click on OK.
class AboutBoxCloser : public wxModalDialogHook {
public:
    explicit AboutBoxCloser(wxWindow* owner) : owner_(owner) {
        Register();
        timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
        timer_.Start(50);
    }
    ~AboutBoxCloser() override {
        timer_.Stop();
        Unregister();
    }

    int opened = 0, closed = 0;
    wxString title;
    std::vector<wxString> texts;
    bool okIsDefault = false, modal = false;

protected:
    int Enter(wxDialog* dialog) override {
        ++opened;
        about_ = dynamic_cast<CAboutDlg*>(dialog);
        EXPECT_TRUE(about_) << "the box that opened is the About box";
        EXPECT_EQ(owner_, dialog->GetParent());
        ticks_ = 0;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {
        ++closed;
        about_ = nullptr;
    }

private:
    void Tick() {
        if (!about_ || !about_->IsShown()) return;
        wxWindow* ok = about_->FindWindow(wxID_OK);
        wxUIActionSimulator sim;
        if (++ticks_ == 4) {  // shown and painted a while
            title = about_->GetTitle();
            texts.clear();
            for (wxWindow* child : about_->GetChildren())
                if (dynamic_cast<wxStaticText*>(child)) texts.push_back(child->GetLabel());
            auto* button = dynamic_cast<wxButton*>(ok);
            okIsDefault = button && about_->GetDefaultItem() == button;
            modal = about_->IsModal();
            sim.MouseMove(ok->ClientToScreen(wxPoint(ok->GetClientSize().x / 2, ok->GetClientSize().y / 2)));
        } else if (ticks_ == 8) {
            sim.MouseClick();
        }
    }

    wxWindow* owner_;
    CAboutDlg* about_ = nullptr;
    int ticks_ = 0;
    wxTimer timer_;
};

// Answers every modal dialog at once with OK instead of showing it, and
// counts the About boxes among them and the others.
class ModalCounter : public wxModalDialogHook {
public:
    ModalCounter() { Register(); }
    ~ModalCounter() override { Unregister(); }
    int aboutBoxes = 0, others = 0;

protected:
    int Enter(wxDialog* dialog) override {
        ++(dynamic_cast<CAboutDlg*>(dialog) ? aboutBoxes : others);
        return wxID_OK;
    }
};

class AboutTest : public DialogTest {
protected:
    // A state worth keeping: a row selected, a box cleared, the weapon box out.
    void StartWithChanges() {
        Start();
        Select(RowOfSlot(uitest::kFrontLine));
        dlg_->m_chkCopyNames->SetValue(false);
        before_ = State();
        liblists_ = LibLists();
    }

    std::vector<std::string> LibLists() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(game_))
            if (entry.path().filename() == "liblist.gam") files.push_back(uitest::ReadBytes(entry.path()));
        return files;
    }

    void ExpectShownAndClosedOnce(const AboutBoxCloser& closer) {
        EXPECT_TRUE(PumpUntil([&] { return closer.closed == 1; })) << "the About box closed on OK";
        EXPECT_EQ(1, closer.opened);
        EXPECT_EQ("About VeldrinIns", closer.title);
        EXPECT_EQ((std::vector<wxString>{"VeldrinIns Version 1.1", "The Veldrin team"}), closer.texts);
        EXPECT_TRUE(closer.okIsDefault);
        EXPECT_TRUE(closer.modal);
        Pump(100);
        EXPECT_EQ(before_, State()) << "the main dialog is as it was";
        EXPECT_EQ(liblists_, LibLists());
    }

    // Picks the window menu's one item with the keyboard once the menu that
    // the next input opens is up.
    void PickMenuItemSoon() {
        picker_.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
            wxUIActionSimulator sim;
            sim.Char(WXK_DOWN);
            sim.Char(WXK_RETURN);
        });
        picker_.StartOnce(700);
    }

    DialogState before_{};
    std::vector<std::string> liblists_;
    wxTimer picker_;
};

TEST_F(AboutTest, TheAboutButtonOpensTheAboutBoxAndOkReturnsToTheDialogUnchanged) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    ClickButton(dlg_->FindWindow(IDC_ABOUT));
    ExpectShownAndClosedOnce(closer);
}

#ifndef __WXMSW__
// The window manager owns the title bar's menu here; the dialog's own menu
// on its background stands in for it.
TEST_F(AboutTest, ARightClickOnTheBackgroundOffersTheSameAboutBox) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    PickMenuItemSoon();
    wxUIActionSimulator sim;
    sim.MouseMove(dlg_->ClientToScreen(wxPoint(4, 4)));  // above every control
    Pump(100);
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    Pump(300);
    ExpectShownAndClosedOnce(closer);
}

TEST_F(AboutTest, TheMenuKeyOffersItToo) {
    StartWithChanges();
    AboutBoxCloser closer(dlg_.get());
    PickMenuItemSoon();
    wxUIActionSimulator().MouseMove(dlg_->ClientToScreen(wxPoint(4, 4)));
    dlg_->FindWindow(wxID_OK)->SetFocus();
    Pump(100);
    wxUIActionSimulator().Char(WXK_MENU);
    Pump(300);
    ExpectShownAndClosedOnce(closer);
}
#endif

TEST_F(AboutTest, OnlyTheAboutCommandOpensTheBoxAndOthersGoOnAsUsual) {
    Start();
    // Windows keeps a system command's low four bits for itself.
    ModalCounter boxes;
    wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX | 0x000F);
    dlg_->OnSysCommand(about);
    EXPECT_EQ(1, boxes.aboutBoxes);
    EXPECT_FALSE(about.GetSkipped());
    // Another command of the menu, and the system's own move, minimise and
    // close: no box opens, the default processing goes on.
    for (int id : {0x0020, 0xF010, 0xF020, 0xF060}) {
        SCOPED_TRACE(id);
        wxCommandEvent other(wxEVT_MENU, id);
        dlg_->OnSysCommand(other);
        EXPECT_TRUE(other.GetSkipped());
    }
    EXPECT_EQ(1, boxes.aboutBoxes);
    EXPECT_EQ(0, boxes.others);
    EXPECT_TRUE(dlg_->IsShown());
}

#ifdef __WXMSW__
// The title bar's real menu: the item comes last, after a separator, and its
// command reaches OnSysCommand; the system's own commands still work.
TEST_F(AboutTest, TheSystemMenuEndsWithTheAboutItem) {
    Start();
    wxMenu* menu = dlg_->MSWGetSystemMenu();
    ASSERT_TRUE(menu);
    size_t count = menu->GetMenuItemCount();
    ASSERT_GE(count, 2u);
    EXPECT_TRUE(menu->FindItemByPosition(count - 2)->IsSeparator());
    EXPECT_EQ(IDM_ABOUTBOX, menu->FindItemByPosition(count - 1)->GetId());
    EXPECT_EQ("&About VeldrinIns...", menu->FindItemByPosition(count - 1)->GetItemLabel());
    HWND hwnd = static_cast<HWND>(dlg_->GetHandle());
    {
        ModalCounter boxes;
        ::SendMessage(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        EXPECT_EQ(1, boxes.aboutBoxes);
    }
    ::SendMessage(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(PumpUntil([&] { return dlg_->IsIconized(); }));
    ::SendMessage(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(PumpUntil([&] { return !dlg_->IsIconized(); }));
    EXPECT_EQ(dlg_->GetIcon().GetHICON(), reinterpret_cast<HICON>(::SendMessage(hwnd, WM_QUERYDRAGICON, 0, 0)));
}
#endif

TEST(MinimisedIconPosition, CentresWithDivisionsTruncatingTowardsZero) {
    EXPECT_EQ(wxPoint(84, 64), MinimisedIconPosition(wxSize(200, 160), wxSize(32, 32)));
    EXPECT_EQ(wxPoint(85, 65), MinimisedIconPosition(wxSize(201, 161), wxSize(32, 32))) << "odd sizes round up";
    EXPECT_EQ(wxPoint(0, 0), MinimisedIconPosition(wxSize(32, 32), wxSize(32, 32)));
    // A minimised window may have no client area at all: -31 / 2 is -15, not -16.
    EXPECT_EQ(wxPoint(-15, -15), MinimisedIconPosition(wxSize(0, 0), wxSize(32, 32)));
    EXPECT_EQ(wxPoint(-7, 0), MinimisedIconPosition(wxSize(1, 16), wxSize(16, 16)));
}

TEST(FittedPictureRect, CentresAFittingPictureAndScalesALargerOneDownKeepingItsShape) {
    EXPECT_EQ(wxRect(9, 4, 113, 60), FittedPictureRect(wxSize(132, 68), wxSize(113, 60))) << "as it is";
    EXPECT_EQ(wxRect(0, 0, 113, 60), FittedPictureRect(wxSize(113, 60), wxSize(113, 60)));
    // Windows' MS Sans Serif makes the About box's picture 88 x 52 pixels.
    EXPECT_EQ(wxRect(0, 3, 88, 46), FittedPictureRect(wxSize(88, 52), wxSize(113, 60))) << "width decides";
    EXPECT_EQ(wxRect(23, 0, 75, 40), FittedPictureRect(wxSize(122, 40), wxSize(113, 60))) << "height decides";
    EXPECT_EQ(wxRect(), FittedPictureRect(wxSize(0, 52), wxSize(113, 60)));
    EXPECT_EQ(wxRect(), FittedPictureRect(wxSize(88, 52), wxSize()));
}

// The picture the control holds is the logo pixel for pixel, centred, with
// nothing drawn around it; the toolkit shows it at that size.
void ExpectLogoCentred(wxStaticBitmap* picture) {
    ASSERT_TRUE(picture);
    wxImage logo = wxXmlResource::Get()->LoadBitmap("IDB_LOGO").ConvertToImage();
    ASSERT_EQ(wxSize(113, 60), logo.GetSize());
    wxImage shown = picture->GetBitmap().ConvertToImage();
    ASSERT_EQ(picture->GetClientSize(), shown.GetSize()) << "nothing left for the toolkit to stretch";
    wxRect place = FittedPictureRect(shown.GetSize(), logo.GetSize());
    ASSERT_EQ(logo.GetSize(), place.GetSize()) << "the area holds the logo at its own size here";
    int mismatches = 0, opaqueOutside = 0;
    for (int y = 0; y < shown.GetHeight(); ++y)
        for (int x = 0; x < shown.GetWidth(); ++x) {
            if (place.Contains(x, y)) {
                int lx = x - place.x, ly = y - place.y;
                mismatches += shown.GetRed(x, y) != logo.GetRed(lx, ly) ||
                              shown.GetGreen(x, y) != logo.GetGreen(lx, ly) ||
                              shown.GetBlue(x, y) != logo.GetBlue(lx, ly) || shown.GetAlpha(x, y) != 255;
            } else {
                opaqueOutside += shown.GetAlpha(x, y) != 0;
            }
        }
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(0, opaqueOutside);
}

TEST_F(AboutTest, BothDialogsShowTheLogoCentredAtItsOwnSize) {
    Start();
    ExpectLogoCentred(dynamic_cast<wxStaticBitmap*>(dlg_->FindWindow(IDC_LOGO)));
    CAboutDlg about(dlg_.get());
    wxStaticBitmap* picture = nullptr;
    for (wxWindow* child : about.GetChildren())
        if (auto* p = dynamic_cast<wxStaticBitmap*>(child)) picture = p;
    ExpectLogoCentred(picture);
}

TEST_F(AboutTest, TheAboutBoxFitsItsTextsAndNothingOverlaps) {
    Start();
    CAboutDlg about(dlg_.get());
    about.Show();
    Pump(100);
    EXPECT_EQ(about.ConvertDialogToPixels(wxSize(204, 55)), about.GetClientSize());
    std::vector<wxWindow*> controls(about.GetChildren().begin(), about.GetChildren().end());
    ASSERT_EQ(4u, controls.size());
    for (wxWindow* child : controls) {
        SCOPED_TRACE(child->GetLabel().ToStdString());
        EXPECT_TRUE(wxRect(about.GetClientSize()).Contains(child->GetRect()));
        wxSize extent = child->GetTextExtent(wxStripMenuCodes(child->GetLabel()));
        if (dynamic_cast<wxStaticText*>(child)) {
            EXPECT_LE(extent.x, child->GetSize().x);
            EXPECT_LE(extent.y, child->GetSize().y);
        } else if (dynamic_cast<wxButton*>(child)) {
            EXPECT_LE(extent.x + 8, child->GetSize().x);
        }
    }
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                << controls[i]->GetLabel() << " / " << controls[j]->GetLabel();
    // Escape closes it as OK does; should it not, the box gives up after a
    // few seconds with wxID_NONE.
    about.Hide();
    wxUIActionSimulator().MouseMove(about.GetScreenRect().GetTopLeft() + wxPoint(4, 4));
    wxTimer escape, giveUp;
    escape.Bind(wxEVT_TIMER, [](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_ESCAPE); });
    giveUp.Bind(wxEVT_TIMER, [&about](wxTimerEvent&) { about.EndModal(wxID_NONE); });
    escape.StartOnce(500);
    giveUp.StartOnce(5000);
    EXPECT_NE(wxID_NONE, about.DoModal());
}

}  // namespace
