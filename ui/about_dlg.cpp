#include "ui/about_dlg.h"

#include <wx/statbmp.h>
#include <wx/xrc/xmlres.h>

#include "ui/resource.h"
#include "ui/window_chrome.h"

namespace {

// Template 100's client size, in dialog units.
const wxSize kAboutSize(204, 55);

}  // namespace

// OK closes the box through wxDialog's own handler; nothing else to handle.
wxBEGIN_EVENT_TABLE(CAboutDlg, wxDialog)
wxEND_EVENT_TABLE()

CAboutDlg::CAboutDlg(wxWindow* parent) {
    LoadDialogTemplate(this, parent, "IDD_ABOUTBOX", kAboutSize);
    CentreOnParent();
    wxBitmap logo = wxXmlResource::Get()->LoadBitmap("IDB_LOGO");
    for (wxWindow* child : GetChildren())
        if (auto* picture = dynamic_cast<wxStaticBitmap*>(child)) ShowPictureCentred(picture, logo);
}
