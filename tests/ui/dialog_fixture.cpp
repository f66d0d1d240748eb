#include "dialog_fixture.h"

#include <wx/msgdlg.h>
#include <wx/testing.h>
#include <wx/uiaction.h>

#include <cstring>

#include "ui/admin_restart.h"

namespace test {

namespace {

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

}  // namespace

void Pump(int milliseconds) {
    wxStopWatch watch;
    do {
        wxYield();
        wxMilliSleep(10);
    } while (watch.Time() < milliseconds);
}

std::ostream& operator<<(std::ostream& out, const Row& r) {
    return out << "{" << r.name << ", " << r.status << ", " << r.data << "}";
}

void DialogTest::SetUp() {
    GameFolderTest::SetUp();
    ASSERT_TRUE(CopySampleGame(game_));
    std::memset(g_szGameDir, 0, sizeof g_szGameDir);
    // Where a denied change would offer a restart as administrator, the
    // test that looks at the offer asks for it.
    SetAdminRestartSystem({[] { return true; }, {}});
}

void DialogTest::TearDown() {
    SetAdminRestartSystem({});
    if (dlg_) {
        dlg_->Hide();
        dlg_.reset();
        Pump(50);
    }
    GameFolderTest::TearDown();
}

void DialogTest::Start() {
    fs::current_path(game_ / "Veldrin");
    StartFromHere();
}

void DialogTest::StartFromHere() {
    dlg_ = std::make_unique<CVeldrinInsDlg>();
    wxTEST_DIALOG(dlg_->OnInitDialog(), ExpectStartQuestion(wxID_YES));
    dlg_->Show();
    dlg_->Raise();
    Pump(300);
}

std::vector<Row> DialogTest::Rows() const {
    std::vector<Row> rows;
    for (long i = 0; i < List().GetItemCount(); ++i)
        rows.push_back({List().GetItemText(i, 0).ToStdString(), List().GetItemText(i, 1).ToStdString(),
                        static_cast<long>(List().GetItemData(i))});
    return rows;
}

std::vector<int> DialogTest::Statuses() const {
    std::vector<int> statuses;
    for (const Row& r : Rows()) statuses.push_back(ItemDataStatus(static_cast<int32_t>(r.data)));
    return statuses;
}

long DialogTest::RowOfSlot(int slot) const {
    for (long i = 0; i < List().GetItemCount(); ++i)
        if (ItemDataSlot(static_cast<int32_t>(List().GetItemData(i))) == slot) return i;
    return -1;
}

DialogState DialogTest::State() const {
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

void DialogTest::Select(long row) {
    List().SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    Pump(30);
}

void DialogTest::ClickAt(wxWindow* window, wxPoint point) {
    dlg_->Raise();
    wxUIActionSimulator sim;
    sim.MouseMove(window->ClientToScreen(point));
    Pump(100);
    sim.MouseClick();
    // Long enough that the next click is no double click.
    Pump(600);
}

void DialogTest::ClickRow(long row) {
    wxRect rect;
    ASSERT_TRUE(List().GetItemRect(row, rect));
    ClickAt(&List(), wxPoint(rect.x + 20, rect.y + rect.height / 2));
    EXPECT_TRUE(PumpUntil([&] { return SelectedRow() == row; })) << "the click selected row " << row;
}

void DialogTest::ClickHeader(int column) {
    int x = 20;
    for (int c = 0; c < column; ++c) x += List().GetColumnWidth(c);
    ClickAt(&List(), wxPoint(x, 6));
}

void DialogTest::ClickButton(wxWindow* button) {
    ClickAt(button, wxPoint(button->GetClientSize().x / 2, button->GetClientSize().y / 2));
}

void DialogTest::ClickAction(wxButton* button) {
    ClickButton(button);
    EXPECT_TRUE(PumpUntil([&] { return !button->IsEnabled(); })) << "the click reached the button";
}

}  // namespace test
