// The application object: runs the main dialog once and ends the program.
#pragma once

#include <wx/app.h>

class CVeldrinInsApp : public wxApp {
public:
    // Shows the main dialog modally and returns false once it closes, so the
    // program ends without a message loop of its own.
    bool OnInit() override;

private:
    // F1: there is no help file, so help shows nothing.
    void OnHelp(wxHelpEvent& event);

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CVeldrinInsApp);
