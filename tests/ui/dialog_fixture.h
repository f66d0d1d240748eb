// The fixture of the dialog tests: the main dialog, built from the real
// template, in a real window, on a fresh copy of the sample game, and the
// means to act on it as a player does and to see what the player sees.
#pragma once

#include <gtest/gtest.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/game_folder.h"
#include "support/sample_game.h"
#include "ui/veldrinins_dlg.h"

namespace test {

// Lets the window system and the dialog handle what is pending.
void Pump(int milliseconds = 150);

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

// One row of the mod list: its two texts and its item data.
struct Row {
    std::string name, status;
    long data;
    bool operator==(const Row& o) const { return name == o.name && status == o.status && data == o.data; }
};

std::ostream& operator<<(std::ostream& out, const Row& r);

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
    void SetUp() override;
    void TearDown() override;

    // Starts the dialog as the program does, from inside the package folder,
    // and shows it (without a modal loop of its own, so the test can act).
    void Start();

    // The same from the working directory as it is. The start-up question
    // is answered Yes, after checking that it is the question the player is
    // asked.
    void StartFromHere();

    CModListCtrl& List() const { return *dlg_->m_lstMods; }

    // The rows in the order the list shows them.
    std::vector<Row> Rows() const;

    // The status of each row, in the order the list shows them.
    std::vector<int> Statuses() const;

    // The row that shows the mod of a slot; -1 when none does.
    long RowOfSlot(int slot) const;

    // The selected row; -1 when none is.
    long SelectedRow() const { return List().GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); }

    DialogState State() const;

    // Selects a row as the keyboard or a click would: the list reports it.
    void Select(long row);

    // Real input: a mouse click at a point of a window, in its client area.
    void ClickAt(wxWindow* window, wxPoint point);

    void ClickRow(long row);

    // The column headers stand at the top of the list's client area.
    void ClickHeader(int column);

    void ClickButton(wxWindow* button);

    // Install and Remove end with both buttons disabled.
    void ClickAction(wxButton* button);

    std::unique_ptr<CVeldrinInsDlg> dlg_;
};

}  // namespace test
