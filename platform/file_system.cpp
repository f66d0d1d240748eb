// What every host shares: the fault seam the tests use.
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

bool FaultInjected(FileOp op, const char* path) {
    const FaultHook& hook = Hook();
    return hook && hook(op, path ? path : "");
}

}  // namespace platform
