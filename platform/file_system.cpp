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
}  // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

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
    return hook && hook(op, path ? path : "");
}

}  // namespace platform
