// Windows: the real system menu of the title bar, and the ground of the
// minimised window's icon as Windows paints it.
#include "ui/window_chrome.h"

#include <wx/msw/wrapwin.h>
#include <commctrl.h>

wxMenu* WindowSystemMenu(wxTopLevelWindow* window) {
    // wx turns the menu's commands below 0xF000 into menu events for the
    // window; the system's own (SC_MOVE, SC_CLOSE, ...) it leaves to Windows.
    return window->MSWGetSystemMenu();
}

void EraseIconBackground(wxWindow* window, wxDC& dc) {
    ::SendMessage(static_cast<HWND>(window->GetHandle()), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetHDC()), 0);
}

void UseTemplateListStyles(wxListCtrl* list) {
    // wx creates every list view with LVS_SHOWSELALWAYS and turns on full-row
    // selection, label tips and double buffering; the list view takes both
    // kinds of style back after creation.
    HWND hwnd = static_cast<HWND>(list->GetHandle());
    LONG_PTR style = ::GetWindowLongPtr(hwnd, GWL_STYLE);
    ::SetWindowLongPtr(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(LVS_SHOWSELALWAYS));
    ListView_SetExtendedListViewStyle(hwnd, 0);
}
