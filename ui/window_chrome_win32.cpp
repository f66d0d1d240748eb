// Windows: the real system menu of the title bar, and the ground of the
// minimised window's icon as Windows paints it.
#include "ui/window_chrome.h"

#include <wx/msw/wrapwin.h>

wxMenu* WindowSystemMenu(wxTopLevelWindow* window) {
    // wx turns the menu's commands below 0xF000 into menu events for the
    // window; the system's own (SC_MOVE, SC_CLOSE, ...) it leaves to Windows.
    return window->MSWGetSystemMenu();
}

void EraseIconBackground(wxWindow* window, wxDC& dc) {
    ::SendMessage(static_cast<HWND>(window->GetHandle()), WM_ICONERASEBKGND,
                  reinterpret_cast<WPARAM>(dc.GetHDC()), 0);
}
