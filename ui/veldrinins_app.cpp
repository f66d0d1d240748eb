#include "ui/veldrinins_app.h"

#include <wx/init.h>

#include "ui/command_line.h"
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
// program has ended normally once the dialog has closed. With arguments it is
// the command line, which must run where there is no display: the GUI
// toolkit is never started then.
#if defined(__WXMSW__)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    if (__argc > 1) return RunCommandLine(__argc, __argv);
    wxEntry(instance, previous, commandLine, show);
    return 0;
}
#else
int main(int argc, char** argv) {
    if (argc > 1) return RunCommandLine(argc, argv);
    wxEntry(argc, argv);
    return 0;
}
#endif
