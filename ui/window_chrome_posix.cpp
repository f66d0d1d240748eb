// Window managers of X11 and Wayland own the title bar's menu: a program can
// neither reach it nor add to it.
#include "ui/window_chrome.h"

wxMenu* WindowSystemMenu(wxTopLevelWindow*) { return nullptr; }

void EraseIconBackground(wxWindow* window, wxDC& dc) {
    dc.SetBackground(wxBrush(window->GetBackgroundColour()));
    dc.Clear();
}

void UseTemplateListStyles(wxListCtrl*) {}
