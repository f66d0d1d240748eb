// Outside Windows, access is not a matter of an elevation prompt: a user who
// may not change the game folder is told so, and nothing is offered.
#include "ui/admin_restart.h"

bool CanRestartAsAdministrator() { return false; }

bool RestartAsAdministrator(wxWindow*) { return false; }

void SetAdminRestartSystem(AdminRestartSystem) {}
