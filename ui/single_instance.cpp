#include "ui/single_instance.h"

#include <wx/defs.h>
#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<wxSingleInstanceChecker>& Checker() {
    static std::unique_ptr<wxSingleInstanceChecker> checker;
    return checker;
}

}  // namespace

const char* SingleInstanceName() {
    // A hidden file in the home folder on Linux, a mutex of the session on
    // Windows; the user's name keeps two users' installers apart.
    static const std::string name = ".VeldrinIns-" + wxGetUserId().ToStdString();
    return name.c_str();
}

bool ClaimSingleInstance() {
    if (Checker()) return true;
    AnswerLaterStarts();
    auto checker = std::make_unique<wxSingleInstanceChecker>();
    // A place that cannot be checked keeps no player from the installer,
    // and is no error of the player's to be shown: the toolkit's own box
    // would tell of a lock file the player never asked for.
    bool taken = false;
    {
        wxLogNull quiet;
        taken = checker->Create(SingleInstanceName(), SingleInstanceFolder()) && checker->IsAnotherRunning();
    }
    if (taken) return false;
    Checker() = std::move(checker);
    // The answer "No" at the start-up question ends the process at once;
    // a lock file left behind would name a process that is gone.
    static const bool releasedAtExit = std::atexit(ReleaseSingleInstance) == 0;
    (void)releasedAtExit;
    return true;
}

void ReleaseSingleInstance() { Checker().reset(); }
