// What a change tells of itself: the problem a failure of the file layer
// stands for, the file it met, and the extras it could not copy.
#include "core/change_outcome.h"

#include "core/install_layout.h"
#include "platform/file_system.h"

namespace layout {

ChangeOutcome FailureOutcome(const char* path) {
    const platform::Failure& failure = platform::LastFailure();
    ChangeOutcome outcome;
    switch (failure.error) {
        case platform::FileError::InUse: outcome.problem = ChangeProblem::InUse; break;
        case platform::FileError::AccessDenied: outcome.problem = ChangeProblem::AccessDenied; break;
        case platform::FileError::DiskFull: outcome.problem = ChangeProblem::DiskFull; break;
        case platform::FileError::Busy: outcome.problem = ChangeProblem::Busy; break;
        default: outcome.problem = ChangeProblem::Failed; break;
    }
    outcome.detail = ForPlayer(path) + ": " + failure.reason;
    return outcome;
}

ChangeOutcome TooLongOutcome(const std::string& folder) {
    ChangeOutcome outcome;
    outcome.problem = ChangeProblem::Failed;
    outcome.detail = folder + ": its paths are too long for the installer";
    return outcome;
}

void NoteExtraNotCopied(ChangeOutcome& outcome, const char* target) {
    if (outcome.extrasNotCopied.empty()) outcome.detail = ForPlayer(target) + ": " + platform::LastFailure().reason;
    outcome.extrasNotCopied.push_back(ForPlayer(target));
}

}  // namespace layout

const char* StatusText(int status) {
    switch (status) {
        case StatusInstalled: return "installed";
        case StatusNotInstalled: return "not installed";
        case StatusNeedUpgrade: return "need upgrade";
        default: return "";
    }
}
