// Starting the installer again with an administrator's rights, for a change
// that Windows refused for lack of them. Only Windows has such a restart;
// elsewhere it is never offered.
#pragma once

#include <functional>
#include <string>

class wxWindow;

// What a restart asks the system for (ShellExecuteExW): the verb, the
// program's file and the folder it starts in.
struct AdminRestartRequest {
    std::wstring verb, file, directory;
};

// True when a restart as administrator can be offered: on Windows, when this
// process does not run elevated already; never elsewhere.
bool CanRestartAsAdministrator();

// Starts this program again, elevated, in the current working directory;
// the system's consent prompt belongs to owner. Returns false when nothing
// was started: the player declined the prompt, or the system could not
// start the program (always, off Windows).
bool RestartAsAdministrator(wxWindow* owner);

// The system's side of the restart, which tests stand in for: whether this
// process runs elevated, and starting a request. An empty member keeps the
// system's own. Off Windows nothing asks either.
struct AdminRestartSystem {
    std::function<bool()> runsElevated;
    std::function<bool(const AdminRestartRequest&)> start;
};
void SetAdminRestartSystem(AdminRestartSystem system);
