// The fixture of the dialog tests: the main dialog, built from the real
// template, in a real window, on a fresh copy of the sample game, and the
// means to act on it as a player does and to see what the player sees.
#pragma once

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/statbox.h>
#include <wx/stopwatch.h>
#include <wx/testing.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <ostream>
#include <string>
#include <vector>

#include "support/game_folder.h"
#include "support/sample_game.h"
#include "ui/admin_restart.h"
#include "ui/veldrinins_dlg.h"

#if !wxUSE_STD_IOSTREAM
// The Windows wxWidgets is built without its output to the standard
// streams; the tests' messages show a wxString as UTF-8 all the same.
inline std::ostream& operator<<(std::ostream& out, const wxString& text) { return out << text.utf8_string(); }
#endif

namespace test {

// Lets the window system and the dialog handle what is pending.
inline void Pump(int milliseconds = 150) {
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

// The languages the program ships, as po/LINGUAS named them when it was
// built ("C" first: English), for tests that go through every one of them.
inline std::vector<std::string> ShippedLanguages() {
    std::vector<std::string> languages{"C"};
    std::istringstream names(VELDRIN_TEST_LANGUAGES);
    for (std::string name; names >> name;) languages.push_back(name);
    return languages;
}

// Fails for each shown control of dialog whose text is wider (or taller)
// than the control leaves it, measured in the control's own font: a button's
// label within the native padding, a check box's box and label within its
// size, a label's words wrapped within its width and height. Static boxes
// frame and are not measured. Returns the controls measured, for the
// overlap check.
inline std::vector<wxWindow*> ExpectEveryTextFits(wxWindow* dialog) {
    constexpr int kButtonPadding = 8;  // GTK's and Windows' border and inner space of a push button
    std::vector<wxWindow*> controls;
    for (wxWindow* child : dialog->GetChildren()) {
        if (!child->IsShown()) continue;
        wxRect r = child->GetRect();
        const std::string label = child->GetLabel().utf8_string();
        SCOPED_TRACE(label);
        EXPECT_TRUE(wxRect(dialog->GetClientSize()).Contains(r)) << "inside the dialog";
        wxString text = wxStripMenuCodes(child->GetLabel());
        wxSize extent = child->GetTextExtent(text);
        if (dynamic_cast<wxStaticBox*>(child)) continue;
        controls.push_back(child);
        if (dynamic_cast<wxCheckBox*>(child)) {
            wxSize best = child->GetBestSize();
            EXPECT_LE(best.x, r.width) << "check box \"" << label << "\" needs " << best.x << " px, has " << r.width;
            EXPECT_LE(best.y, r.height) << "check box \"" << label << "\" needs " << best.y << " px high, has "
                                        << r.height;
        } else if (dynamic_cast<wxButton*>(child)) {
            EXPECT_LE(extent.x + kButtonPadding, r.width)
                << "button \"" << label << "\" needs " << extent.x + kButtonPadding << " px, has " << r.width;
            EXPECT_LE(extent.y, r.height)
                << "button \"" << label << "\" needs " << extent.y << " px high, has " << r.height;
        } else if (dynamic_cast<wxStaticText*>(child)) {
            // A label too long for one line wraps between words.
            int lines = 1, line = 0;
            for (const wxString& word : wxSplit(text, ' ')) {
                int w = child->GetTextExtent(word).x;
                int withSpace = line ? line + child->GetTextExtent(" ").x + w : w;
                EXPECT_LE(w, r.width) << "label \"" << label << "\": the word \"" << word.utf8_string() << "\" needs "
                                      << w << " px, has " << r.width;
                if (withSpace > r.width) {
                    ++lines;
                    line = w;
                } else {
                    line = withSpace;
                }
            }
            EXPECT_LE(lines * child->GetCharHeight(), r.height)
                << "label \"" << label << "\" needs " << lines << " lines, " << lines * child->GetCharHeight()
                << " px high, has " << r.height;
        }
    }
    return controls;
}

// Fails for each two of controls that overlap.
inline void ExpectNoneOverlaps(const std::vector<wxWindow*>& controls) {
    for (size_t i = 0; i < controls.size(); ++i)
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                << controls[i]->GetLabel() << " / " << controls[j]->GetLabel();
}

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

// One row of the mod list: its two texts and its item data.
struct Row {
    std::string name, status;
    long data;
    bool operator==(const Row& o) const { return name == o.name && status == o.status && data == o.data; }
};

inline std::ostream& operator<<(std::ostream& out, const Row& r) {
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

// A game folder copied from the sample, no game directory yet, and no
// restart as administrator offered; afterwards the dialog is gone.
class DialogTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        ASSERT_TRUE(CopySampleGame(game_));
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
        GameFolderTest::TearDown();
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
        for (const Row& r : Rows()) statuses.push_back(ItemDataStatus(static_cast<int32_t>(r.data)));
        return statuses;
    }

    long RowOfSlot(int slot) const {
        for (long i = 0; i < List().GetItemCount(); ++i)
            if (ItemDataSlot(static_cast<int32_t>(List().GetItemData(i))) == slot) return i;
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

    // Clicks Install or Remove and waits until the dialog has handled it.
    void ClickAction(wxButton* button) {
        struct ClickSeen : wxEvtHandler {
            bool clicked = false;
            ClickSeen() {
                Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) {
                    clicked = true;
                    event.Skip();
                });
            }
        } seen;
        button->PushEventHandler(&seen);
        ClickButton(button);
        EXPECT_TRUE(PumpUntil([&] { return seen.clicked; })) << "the click reached the button";
        button->PopEventHandler();
    }

    std::unique_ptr<CVeldrinInsDlg> dlg_;
};

}  // namespace test
