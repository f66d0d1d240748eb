// The application object: runs the main dialog once and ends the program;
// a second installer of the same user only brings the first to the front.
#pragma once

#include <wx/app.h>

class CVeldrinInsApp : public wxApp {
public:
    // Shows the main dialog modally and returns false once it closes, so the
    // program ends without a message loop of its own. When another installer
    // of this user is open, tells the player so and brings that one to the
    // front instead.
    bool OnInit() override;

    // The status of a start that failed.
    static constexpr int kStartFailed = 1;

    // The status the process ends with, once wxEntry has returned: 0 after
    // the dialog has closed or another installer was found running;
    // kStartFailed when the program could not start, which it has then told
    // on standard error. (The answer "No" to the start-up question ends the
    // process with 0 before.)
    static int ExitStatus();

private:
    // F1: there is no help file, so help shows nothing.
    void OnHelp(wxHelpEvent& event);

    wxDECLARE_EVENT_TABLE();
};

wxDECLARE_APP(CVeldrinInsApp);
