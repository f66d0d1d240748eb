#include "ui/veldrinins_app.h"

#include <wx/init.h>
#include <wx/log.h>
#include <wx/msgdlg.h>

#include <cstdio>

#include "cli/command_line.h"
#include "core/translations.h"
#include "ui/resource.h"
#include "ui/single_instance.h"
#include "ui/veldrinins_dlg.h"

wxIMPLEMENT_APP_NO_MAIN(CVeldrinInsApp);

namespace {

const char kAlreadyRunning[] = TrMark(
    "VeldrinIns is already running.\n\n"
    "Only one installer at a time may change the game's mods. Its window comes to the front when you press OK.");

int g_nExitStatus = CVeldrinInsApp::kStartFailed;
// Stays false when wxWidgets could not start the window system.
bool g_bStarted = false;

}  // namespace

wxBEGIN_EVENT_TABLE(CVeldrinInsApp, wxApp)
    EVT_HELP(wxID_ANY, CVeldrinInsApp::OnHelp)
wxEND_EVENT_TABLE()

bool CVeldrinInsApp::OnInit() {
    g_bStarted = true;
    wxLog::EnableLogging(true);
    UsePlayersLanguage();
    // The first installer keeps the game folders to itself while it is open.
    if (!ClaimSingleInstance()) {
        wxMessageBox(wxString::FromUTF8(Tr(kAlreadyRunning)), "VeldrinIns", wxOK | wxICON_INFORMATION);
        BringRunningInstanceToFront();
        g_nExitStatus = 0;
        return false;
    }
    if (!LoadVeldrinInsResources()) {
        std::fputs(Tr("VeldrinIns cannot start: its dialog templates are missing from the program's resources.\n"),
                   stderr);
        g_nExitStatus = kStartFailed;
        return false;
    }
    {
        CVeldrinInsDlg dlg;
        SetTopWindow(&dlg);
        dlg.DoModal();
        SetTopWindow(nullptr);
    }
    ReleaseSingleInstance();
    g_nExitStatus = 0;
    return false;
}

void CVeldrinInsApp::OnHelp(wxHelpEvent&) {}

int CVeldrinInsApp::ExitStatus() {
    if (!g_bStarted)
        std::fputs(Tr("VeldrinIns cannot start: the window system could not be reached (is there a display?).\n"
                      "Without a window, the command line lists, installs and removes: see VeldrinIns --help.\n"),
                   stderr);
    return g_nExitStatus;
}

// OnInit always returns false, which wxEntry reports as a failed start; the
// status comes from what OnInit met. With arguments it is the command line,
// which must run where there is no display: the GUI toolkit is never started
// then. Until OnInit, wx's log is off: a window system that cannot be reached
// is told by ExitStatus in the program's words, not by the toolkit's own
// line besides.
#if defined(__WXMSW__)
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    // As wx's own entry points do: a release build reports no assertion to
    // the player, whose program would otherwise stop at a debugger trap.
    wxDISABLE_DEBUG_SUPPORT();
    if (__argc > 1) return RunCommandLine(__argc, __argv);
    wxLog::EnableLogging(false);
    wxEntry(instance, previous, commandLine, show);
    return CVeldrinInsApp::ExitStatus();
}
#else
int main(int argc, char** argv) {
    wxDISABLE_DEBUG_SUPPORT();
    if (argc > 1) return RunCommandLine(argc, argv);
    wxLog::EnableLogging(false);
    wxEntry(argc, argv);
    return CVeldrinInsApp::ExitStatus();
}
#endif
