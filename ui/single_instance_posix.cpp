// Linux: wx's lock file in the home folder holds the process number of the
// installer that holds the place; a later start sends it SIGUSR1, and it
// raises its own window, which no other program may do for it.
#include "ui/single_instance.h"

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void RaiseMainWindow(int) {
    auto* window = wxDynamicCast(wxTheApp->GetTopWindow(), wxTopLevelWindow);
    // Hidden, it is still behind its start-up question, which stands in
    // front on its own.
    if (!window || !window->IsShown()) return;
    if (window->IsIconized()) window->Iconize(false);
    window->Raise();
}

// The command name the kernel keeps for a process; empty when it is gone.
std::string CommandName(const std::string& process) {
    std::ifstream in("/proc/" + process + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

}  // namespace

void AnswerLaterStarts() {
    if (wxTheApp) wxTheApp->SetSignalHandler(SIGUSR1, RaiseMainWindow);
}

std::string SingleInstanceFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const std::string& folder :
         {wxGetHomeDir().ToStdString(), std::string(runtime ? runtime : ""), std::string("/tmp")})
        if (!folder.empty() && wxDirExists(folder)) return folder;
    return "/tmp";
}

bool BringRunningInstanceToFront() {
    std::ifstream lock(SingleInstanceFolder() + "/" + SingleInstanceName(), std::ios::binary);
    long process = 0;
    if (!(lock >> process) || process <= 0 || process == static_cast<long>(getpid())) return false;
    // The number may have passed to another program since; the signal
    // would end that one.
    if (CommandName(std::to_string(process)) != CommandName("self")) return false;
    return kill(static_cast<pid_t>(process), SIGUSR1) == 0;
}
