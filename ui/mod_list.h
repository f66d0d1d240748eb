// The mod list: a two-column report list that receives the status scan's rows,
// sorts them by status, and remembers the row the player last selected (the
// selection mark), which Install and Remove act on.
#pragma once

#include <wx/listctrl.h>

#include <cstdint>
#include <string>

#include "core/installer_core.h"

// The sort order of a header click: for sort parameter 0 ("Mod name") the
// difference of the statuses, installed first; for 1 ("Status") the reverse;
// 0 (equal) for any other parameter. Names never take part.
int wxCALLBACK CompareByStatus(wxIntPtr itemData1, wxIntPtr itemData2, wxIntPtr sortParam);

// The text a row shows for a display name: at most its first 79 characters.
std::string ShownModName(const std::string& name);

class CModListCtrl : public wxListCtrl, public ModRowSink {
public:
    CModListCtrl() = default;

    // Inserts the "Mod name" and "Status" columns, left-aligned, sharing the
    // control's width less 4 pixels two thirds to one third.
    void SetUpColumns();

    // ModRowSink: the scan's rows. Filling rows raises no item-changed
    // notification; clearing them also drops the selection mark.
    void ClearModRows() override;
    void InsertModRow(int row, const std::string& name) override;
    void SetModRowData(int row, int32_t itemData) override;
    void SetModRowStatus(int row, const std::string& statusText) override;

    // The row the player last selected, or -1 when there is none (no row
    // selected since the rows were last rebuilt).
    long GetSelectionMark() const { return m_nSelectionMark; }

    // The item data of the row at the selection mark; 0 when no row is there.
    wxIntPtr SelectedItemData() const;

    // Sorts the rows by status for a click on the given column (see
    // CompareByStatus). The selected row and the selection mark stay on the
    // row they were on, whatever its new position.
    void SortByStatus(int column);

    // Selects the row that shows the mod of slot (found by its item data),
    // makes it the current row and puts the selection mark on it, as the
    // player's own selection would, but without telling the dialog. Returns
    // false when no row shows that mod.
    bool SelectSlotQuietly(int slot);

private:
    void OnItemNotification(wxListEvent& event);
    bool IsFilling() const { return m_nFilling > 0; }

    long m_nSelectionMark = -1;
    int m_nFilling = 0;  // > 0 while rows are being replaced

    wxDECLARE_DYNAMIC_CLASS(CModListCtrl);
    wxDECLARE_EVENT_TABLE();
};
