// What every host shares: the fault seam the tests use, and the scope of
// kept folder listings.
#include "platform/file_system.h"

#include <utility>

namespace platform {

namespace {
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

void SetLastFailure(FileError error, std::string reason) {
    t_lastFailure.error = error;
    t_lastFailure.reason = std::move(reason);
}

namespace {
unsigned g_scopeDepth = 0;
unsigned g_generation = 0;
unsigned g_lastGeneration = 0;
}  // namespace

// The program runs on one thread, so plain counters do.
ListingScope::ListingScope() {
    if (g_scopeDepth++ == 0) {
        if (++g_lastGeneration == 0) ++g_lastGeneration;  // 0 stands for no scope
        g_generation = g_lastGeneration;
    }
}

ListingScope::~ListingScope() {
    if (--g_scopeDepth == 0) g_generation = 0;
}

unsigned ListingGeneration() { return g_generation; }

bool FaultInjected(FileOp op, const char* path) {
    const FaultHook& hook = Hook();
    if (!hook || !hook(op, path ? path : "")) return false;
    SetLastFailure(g_faultError, ReasonText(g_faultError));
    return true;
}

}  // namespace platform
