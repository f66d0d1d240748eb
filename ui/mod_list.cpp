#include "ui/mod_list.h"

#include "ui/narrow_text.h"

#include "core/translations.h"

namespace {
// The control's text buffer held 80 characters of the code page with the
// terminating zero; a name is held as UTF-8 now, where a letter may take
// up to four bytes.
constexpr size_t kShownNameLength = 79;
}  // namespace

int wxCALLBACK CompareByStatus(wxIntPtr itemData1, wxIntPtr itemData2, wxIntPtr sortParam) {
    // The list keeps the scan's 32-bit item data in a pointer-sized one.
    int s1 = ItemDataStatus(static_cast<int32_t>(itemData1));
    int s2 = ItemDataStatus(static_cast<int32_t>(itemData2));
    switch (sortParam) {
        case 0: return s1 - s2;
        case 1: return s2 - s1;
        default: return 0;
    }
}

std::string ShownModName(const std::string& name) {
    size_t characters = 0, end = 0;
    for (; end < name.size(); ++end) {
        // A character starts at every byte but UTF-8's continuation bytes.
        if ((static_cast<unsigned char>(name[end]) & 0xC0) != 0x80 && characters++ == kShownNameLength) break;
    }
    return name.substr(0, end);
}

wxIMPLEMENT_DYNAMIC_CLASS(CModListCtrl, wxListCtrl);

wxBEGIN_EVENT_TABLE(CModListCtrl, wxListCtrl)
    EVT_LIST_ITEM_SELECTED(wxID_ANY, CModListCtrl::OnItemNotification)
    EVT_LIST_ITEM_DESELECTED(wxID_ANY, CModListCtrl::OnItemNotification)
    EVT_LIST_ITEM_FOCUSED(wxID_ANY, CModListCtrl::OnItemNotification)
wxEND_EVENT_TABLE()

void CModListCtrl::SetUpColumns() {
    int w = GetSize().GetWidth() - 4;
    InsertColumn(0, wxString::FromUTF8(Tr("Mod name")), wxLIST_FORMAT_LEFT, w - w / 3);
    InsertColumn(1, wxString::FromUTF8(Tr("Status")), wxLIST_FORMAT_LEFT, w / 3);
}

void CModListCtrl::ClearModRows() {
    // Deleting a selected row may report a deselection; the rows being
    // replaced are not the player's doing, so the dialog never hears of it.
    ++m_nFilling;
    DeleteAllItems();
    --m_nFilling;
    m_nSelectionMark = -1;
}

void CModListCtrl::InsertModRow(int row, const std::string& name) { InsertItem(row, NarrowToWx(ShownModName(name))); }

void CModListCtrl::SetModRowData(int row, int32_t itemData) { SetItemPtrData(row, itemData); }

void CModListCtrl::SetModRowStatus(int row, const std::string& statusText) {
    SetItem(row, 1, NarrowToWx(Tr(statusText.c_str())));
}

wxIntPtr CModListCtrl::SelectedItemData() const {
    if (m_nSelectionMark < 0 || m_nSelectionMark >= GetItemCount()) return 0;
    return static_cast<wxIntPtr>(GetItemData(m_nSelectionMark));
}

void CModListCtrl::SortByStatus(int column) {
    long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    wxUIntPtr selectedData = selected >= 0 ? GetItemData(selected) : 0;
    bool hasMark = m_nSelectionMark >= 0 && m_nSelectionMark < GetItemCount();
    wxUIntPtr markData = hasMark ? GetItemData(m_nSelectionMark) : 0;

    // The rows are the same before and after, so the selection the player
    // made has not changed: nothing of the sort reaches the dialog. GTK's
    // list forgets its selection when it sorts; it is put back by item data,
    // which is unique to a row.
    ++m_nFilling;
    SortItems(CompareByStatus, column);
    if (selected >= 0) {
        long row = FindItem(-1, selectedData);
        if (row >= 0) {
            SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
            EnsureVisible(row);
        }
    }
    --m_nFilling;
    if (hasMark) m_nSelectionMark = FindItem(-1, markData);
}

bool CModListCtrl::SelectSlotQuietly(int slot) {
    for (long row = 0; row < GetItemCount(); ++row) {
        if (ItemDataSlot(static_cast<int32_t>(GetItemData(row))) != slot) continue;
        ++m_nFilling;
        SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        EnsureVisible(row);
        --m_nFilling;
        m_nSelectionMark = row;
        return true;
    }
    return false;
}

void CModListCtrl::OnItemNotification(wxListEvent& event) {
    if (IsFilling()) return;  // swallowed: the dialog is not told
    if (event.GetEventType() == wxEVT_LIST_ITEM_SELECTED && event.GetIndex() >= 0) m_nSelectionMark = event.GetIndex();
    event.Skip();
}
