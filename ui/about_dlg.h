// The About box: the program's name and version beside its logo.
#pragma once

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
public:
    // Builds the box from template 100 (hidden), centred on parent. Its OK
    // button and the Escape key close it.
    explicit CAboutDlg(wxWindow* parent = nullptr);

    // Shows the box modally. Returns the code it was closed with (wxID_OK).
    int DoModal() { return ShowModal(); }

private:
    wxDECLARE_EVENT_TABLE();
};
