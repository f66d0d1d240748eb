// The last failure of each thread and the tests' fault seam.
#include "platform/failure.h"

#include <utility>

namespace platform {

namespace {
// Set by a test before the code under test runs, read by that code.
FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}
FileError g_faultError = FileError::Failed;

thread_local Failure t_lastFailure;
}  // namespace

void SetFaultHook(FaultHook hook, FileError as) {
    Hook() = std::move(hook);
    g_faultError = as;
}

const Failure& LastFailure() { return t_lastFailure; }

bool Fail(FileError error, std::string reason) {
    t_lastFailure.error = error;
    t_lastFailure.reason = std::move(reason);
    t_lastFailure.words.clear();
    t_lastFailure.value.clear();
    return false;
}

bool FailInWords(FileError error, const char* words, std::string value) {
    std::string reason = words;
    const size_t at = reason.find("%s");
    if (at != std::string::npos) reason.replace(at, 2, value);
    t_lastFailure.error = error;
    t_lastFailure.reason = std::move(reason);
    t_lastFailure.words = words;
    t_lastFailure.value = std::move(value);
    return false;
}

bool Fail(Failure failure) {
    t_lastFailure = std::move(failure);
    return false;
}

bool FaultInjected(FileOp op, const char* path) {
    const FaultHook& hook = Hook();
    if (!hook || !hook(op, path ? path : "")) return false;
    Fail(g_faultError, ReasonText(g_faultError));
    return true;
}

}  // namespace platform
