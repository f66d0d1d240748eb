// Window chrome shared by the installer's dialogs: where the minimised
// window's icon goes, how a picture control shows its bitmap, and the system
// menu where the platform lets a program add to it.
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/toplevel.h>

// The top-left corner of an icon of the given size centred in a client area:
// ((client - icon + 1) / 2) on each axis, the divisions truncating towards
// zero. The result is negative on an axis where the icon is the larger.
wxPoint MinimisedIconPosition(wxSize client, wxSize icon);

// Where a picture of size image goes in a picture control's area: centred at
// its own size when it fits; when it is wider or taller, scaled down to the
// largest size that fits, keeping its proportions, and centred. Never scaled
// up. An empty area or image gives an empty rectangle.
wxRect FittedPictureRect(wxSize area, wxSize image);

// Shows bitmap in the picture control as FittedPictureRect places it in the
// control's client area, on a transparent ground, so the toolkit has nothing
// to stretch. Does nothing when the bitmap is not valid or the control has no
// client area.
void ShowPictureCentred(wxStaticBitmap* picture, const wxBitmap& bitmap);

// The window's system menu, the one of its title bar, where a program may add
// items whose commands then reach the window as menu events. Returns null
// where the window manager owns that menu and a program cannot reach it.
wxMenu* WindowSystemMenu(wxTopLevelWindow* window);

// Paints the ground under the minimised window's icon on the paint device
// context dc, as the platform paints it for the window.
void EraseIconBackground(wxWindow* window, wxDC& dc);

// Gives a report list the styles of the installer's template where the
// toolkit adds its own: its selection hidden while it lacks the focus, and no
// extended list styles (full-row selection, label tips, double buffering).
// Does nothing where the toolkit adds none.
void UseTemplateListStyles(wxListCtrl* list);
