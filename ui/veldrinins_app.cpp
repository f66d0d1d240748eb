#include "ui/veldrinins_app.h"

#include <wx/init.h>

#include "ui/veldrinins_dlg.h"

wxIMPLEMENT_APP_NO_MAIN(CVeldrinInsApp);

wxBEGIN_EVENT_TABLE(CVeldrinInsApp, wxApp)
    EVT_HELP(wxID_ANY, CVeldrinInsApp::OnHelp)
wxEND_EVENT_TABLE()

bool CVeldrinInsApp::OnInit() {
    CVeldrinInsDlg dlg;
    SetTopWindow(&dlg);
    dlg.DoModal();
    SetTopWindow(nullptr);
    return false;
}

void CVeldrinInsApp::OnHelp(wxHelpEvent&) {}

// OnInit always returns false, which wxEntry reports as a failed start; the
// program has ended normally once the dialog has closed.
#if defined(__WXMSW__)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    wxEntry(instance, previous, commandLine, show);
    return 0;
}
#else
int main(int argc, char** argv) {
    wxEntry(argc, argv);
    return 0;
}
#endif
